#include "host/wayland/layer_watch.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "host/idle_time.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <wayland-client.h>

namespace host::wayland {

struct Watch::Events {
    static void Toplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                         zwlr_foreign_toplevel_handle_v1* handle) {
        auto* self = static_cast<Watch*>(data);
        self->windows_[handle];
        static const zwlr_foreign_toplevel_handle_v1_listener kHandle = {
            Title, AppId, OutputEnter, OutputLeave, State, Done, Closed, Parent};
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kHandle, self);
    }
    static void Finished(void* data, zwlr_foreign_toplevel_manager_v1* manager) {
        auto* self = static_cast<Watch*>(data);
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
        self->toplevels_ = nullptr;
    }
    static void Title(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
    static void AppId(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
    static void OutputEnter(void* data, zwlr_foreign_toplevel_handle_v1* h, wl_output* output) {
        static_cast<Watch*>(data)->windows_[h].outputs.insert(output);
    }
    static void OutputLeave(void* data, zwlr_foreign_toplevel_handle_v1* h, wl_output* output) {
        static_cast<Watch*>(data)->windows_[h].outputs.erase(output);
    }
    static void State(void* data, zwlr_foreign_toplevel_handle_v1* h, wl_array* states) {
        bool fullscreen = false;
        const auto* s = static_cast<const uint32_t*>(states->data);
        for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i)
            fullscreen = fullscreen || s[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_FULLSCREEN;
        static_cast<Watch*>(data)->windows_[h].fullscreen = fullscreen;
    }
    static void Done(void* data, zwlr_foreign_toplevel_handle_v1*) {
        static_cast<Watch*>(data)->Recount();
    }
    static void Closed(void* data, zwlr_foreign_toplevel_handle_v1* h) {
        auto* self = static_cast<Watch*>(data);
        self->windows_.erase(h);
        zwlr_foreign_toplevel_handle_v1_destroy(h);
        self->Recount();
    }
    static void Parent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

    static void Idled(void* data, ext_idle_notification_v1*) {
        auto* self = static_cast<Watch*>(data);
        self->idle_ = true;
        self->changed_();
    }
    static void Resumed(void* data, ext_idle_notification_v1*) {
        auto* self = static_cast<Watch*>(data);
        self->idle_ = false;
        self->changed_();
    }
};

Watch::~Watch() {
    for (auto& [handle, w] : windows_)
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    if (toplevels_) zwlr_foreign_toplevel_manager_v1_destroy(toplevels_);
    if (idleNotification_) ext_idle_notification_v1_destroy(idleNotification_);
}

void Watch::SetToplevels(zwlr_foreign_toplevel_manager_v1* manager) {
    toplevels_ = manager;
    static const zwlr_foreign_toplevel_manager_v1_listener kListener = {Events::Toplevel,
                                                                        Events::Finished};
    zwlr_foreign_toplevel_manager_v1_add_listener(manager, &kListener, this);
}

void Watch::SetIdleNotifier(ext_idle_notifier_v1* notifier, wl_seat* seat) {
    // A session left alone that long is idle: the desktop rests, as it does
    // under the screen saver on X11.
    idleNotification_ = ext_idle_notifier_v1_get_idle_notification(notifier, IdleMilliseconds(), seat);
    static const ext_idle_notification_v1_listener kListener = {Events::Idled, Events::Resumed};
    ext_idle_notification_v1_add_listener(idleNotification_, &kListener, this);
}

bool Watch::Hides(wl_output* output) const {
    return idle_ || fullscreen_.count(output) > 0;
}

void Watch::Recount() {
    std::set<wl_output*> now;
    for (const auto& [handle, w] : windows_)
        if (w.fullscreen) now.insert(w.outputs.begin(), w.outputs.end());
    if (now == fullscreen_) return;
    fullscreen_ = std::move(now);
    changed_();
}

} // namespace host::wayland
