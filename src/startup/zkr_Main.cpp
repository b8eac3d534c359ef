#include "startup/zkr_Main.h"

#include "startup/AppState.h"

void kel_SetEnvironment() {
    AppState.RegistryKey = "SOFTWARE\\Zelkora\\Zelkora\\1";
}
