// The one door to the operating system's API. On Windows it is the real API;
// elsewhere it is our own layer with the same names, constants and layouts.
#pragma once

#ifdef _WIN32
// The shell's header declares IActiveDesktop and COMPONENT only after
// wininet.h; min and max stay the standard library's.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <wininet.h>
#include <shlobj.h>
#else
#include "platform/posix/win32_posix.h"
#endif
