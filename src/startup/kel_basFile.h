// File-name helpers.
#pragma once

#include <string>

// The last component of a Windows path (the text after its last backslash),
// extension included.
std::string kel_StripExtensionFromFileName(const std::string& fileName);
