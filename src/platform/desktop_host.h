// The emulated desktop's link to the desktop host (zelkora-desktop), the
// program that draws it on the real screen. The shell emulation tells the host
// about every change through a counter file in the prefix, which the host
// watches; one host runs per prefix and display, holding a lock while it lives.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// <prefix>/desktop.changes: the number of changes so far.
std::string DesktopChangesPath();
// The number in it (0 when there is none yet).
uint64_t DesktopChangeCount();
// Counts one more change, then starts a host when none runs and one may be
// started (see StartDesktopHostIfNeeded).
void SignalDesktopChanged();

// Why the host had to stop the page it showed (over its budget), "" when it
// did not: the host keeps it in <prefix>/desktop.stopped until the next
// change it shows.
std::string DesktopPageStopped();
void SetDesktopPageStopped(const std::string& why);
// What the running host says of how it shows the desktop where it cannot do
// all of it ("" when it can): <prefix>/desktop.note, which the Manager shows.
std::string DesktopHostNote();
void SetDesktopHostNote(const std::string& note);

// What the running host says of the sound: the module that hears it now,
// "" when none does (<prefix>/desktop.sound).
std::string DesktopSoundNote();
void SetDesktopSoundNote(const std::string& note);

// The display a host belongs to: $DISPLAY, else $WAYLAND_DISPLAY, else "".
std::string DesktopDisplay();
// Takes the lock of the host for this prefix and display; -1 when another
// host holds it. The lock lasts as long as the descriptor stays open.
int TakeDesktopHostLock();
// True when a host runs for this prefix and display.
bool DesktopHostRunning();

// Starts zelkora-desktop --keep-running (the host, started again should it
// fail), detached, when there is a display, no host runs for
// it, and starting one is not turned off (ZELKORA_DESKTOP_HOST=0, as tests set
// it, or Qt's offscreen platform). The program is $ZELKORA_DESKTOP_PROGRAM, or
// zelkora-desktop beside the running program or its folder's parent, or on
// the PATH. Returns true when one was started.
bool StartDesktopHostIfNeeded();

} // namespace platform
