#include "startup/kel_basWeb.h"

#include "platform/win32.h"

bool kel_IsNetConnectOnline() {
    DWORD flags = 0;
    return InternetGetConnectedState(&flags, 0) == 1;
}
