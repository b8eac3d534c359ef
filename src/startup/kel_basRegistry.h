// General registry wrappers.
#pragma once

#include "platform/win32.h"

#include <optional>
#include <string>

// Reads a REG_SZ value into target; true when it was read. On false the
// target is left as it was.
bool kel_GetRegistryString(const std::string& subKey, const std::string& valueName,
                           std::string& target, HKEY root);
bool kel_GetRegistryString(const std::string& subKey, const std::string& valueName,
                           std::optional<std::string>& target, HKEY root);

// Writes a REG_SZ value under an existing key (the key is not created).
bool kel_SetRegistryString(const std::string& subKey, const std::string& valueName,
                           const std::string& value, HKEY root);
