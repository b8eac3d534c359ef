// Profile-file wrappers.
#pragma once

#include <string>

std::string kel_GetPrivateProfileString(const std::string& file, const std::string& section,
                                        const std::string& key, const std::string& defaultValue);
bool kel_WritePrivateProfileString(const std::string& file, const std::string& section,
                                   const std::string& key, const std::string& value);
