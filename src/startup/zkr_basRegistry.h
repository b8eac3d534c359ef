// The installation settings.
#pragma once

// Reads the six settings into AppState; a missing one is reported and ends the
// process.
void zkr_LoadRegistryEntries();
