// The module options file's line: the transparency level the module pages read.
#pragma once

#include <cstdint>
#include <string>

// The level a line of the options file holds: the leading number after the
// first "=" (or of the whole line), rounded half to even when it lies strictly
// between 0 and 100; 0 otherwise.
int16_t zkr_ParseModuleTransparency(const std::string& line);

// Whether modules that ask may hear the sound the computer plays and see
// what the music player plays: [Options] Sound of the preferences file, on
// unless "0". The desktop reads the same key.
bool zkr_SoundAllowed(const std::string& preferences);
void zkr_SetSoundAllowed(const std::string& preferences, bool allowed);
