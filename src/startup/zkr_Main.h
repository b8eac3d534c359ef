// The process entry and its environment.
#pragma once

// Sets the registry subkey of the installation settings.
void kel_SetEnvironment();
