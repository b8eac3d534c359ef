// The single-instance channel of a prefix: an instance lock, and a local
// socket through which another process finds the first instance's window by
// its title and sends it flash and raise requests.
#pragma once

#include <functional>
#include <string>

namespace platform {

enum class WindowRequest { Flash, Raise };

// Makes a window findable by its title. The handler is called on the
// channel's own thread for each request. Returns the window's handle number.
unsigned long RegisterWindow(const std::string& title, std::function<void(WindowRequest)> handler);
void UnregisterWindow(unsigned long handle);

} // namespace platform
