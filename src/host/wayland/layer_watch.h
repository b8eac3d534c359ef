// What the compositor tells of whether the desktop can be seen, where it
// tells it: the outputs a full-screen window covers (wlr foreign-toplevel)
// and an idle session (ext-idle-notify). A window on such an output, or any
// while the session is idle, is not exposed, so the desktop rests.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>

struct ext_idle_notification_v1;
struct ext_idle_notifier_v1;
struct wl_output;
struct wl_seat;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

namespace host::wayland {

class Watch {
  public:
    // Told whenever what hides the desktop changed.
    explicit Watch(std::function<void()> changed) : changed_(std::move(changed)) {}
    ~Watch();
    void SetToplevels(zwlr_foreign_toplevel_manager_v1* manager);
    void SetIdleNotifier(ext_idle_notifier_v1* notifier, wl_seat* seat);
    // True while nobody sees that output: a window is full screen on it, or
    // the session is idle.
    bool Hides(wl_output* output) const;

  private:
    struct Events;
    struct Toplevel {
        std::set<wl_output*> outputs;
        bool fullscreen = false;
    };
    void Recount();

    std::function<void()> changed_;
    zwlr_foreign_toplevel_manager_v1* toplevels_ = nullptr;
    std::map<zwlr_foreign_toplevel_handle_v1*, Toplevel> windows_;
    std::set<wl_output*> fullscreen_;
    ext_idle_notification_v1* idleNotification_ = nullptr;
    bool idle_ = false;
};

} // namespace host::wayland
