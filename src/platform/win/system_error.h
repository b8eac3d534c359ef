// What Windows says of a failed call, in the forms the layer's callers use:
// the system's own message, and the errno value the POSIX side would give.
#pragma once

#include "platform/win32.h"

#include <string>

namespace platform::win {

std::string SystemMessage(DWORD error);
int ErrnoOf(DWORD error);

// A program path (UTF-8, either slash) as the wide API takes it.
std::wstring WidePath(const std::string& path);

} // namespace platform::win
