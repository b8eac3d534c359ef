// The catalogue data file's presence test.
#pragma once

#include <string>

// True when a plain file of that exact path exists; on false the user has
// been told.
bool zkr_IsDataFileAvailable(std::string path);
