#include "host/idle_wait.h"

#include "host/desktop_state.h"
#include "platform/prefix.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace host {

void WaitUntilSomethingToShow() {
    // Every write in the prefix renames a file into its folder; the folder is
    // watched, with a look every 5 s as a safety net (and where it cannot be).
    // A first set-up puts a whole new folder in the prefix's place: the
    // watch is made again on the name after every wake.
    int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    while (true) {
        if (fd >= 0)
            ::inotify_add_watch(fd, platform::PrefixDir().c_str(),
                                IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE |
                                    IN_MOVE_SELF | IN_DELETE_SELF);
        if (HasSomethingToShow(ReadDesktopState())) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, fd >= 0 ? 1 : 0, 5000) > 0) {
            char events[4096];
            while (::read(fd, events, sizeof events) > 0) {
            }
            ::usleep(20000); // the rest of a write and its counted change
        }
    }
    if (fd >= 0) ::close(fd);
}

} // namespace host
