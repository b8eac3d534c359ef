// The one door to the operating system's API. On Windows it is the real API;
// elsewhere it is our own layer with the same names, constants and layouts.
#pragma once

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#include <wininet.h>
#else
#include "platform/posix/win32_posix.h"
#endif
