// The seat's pointer and keyboard, handed to Qt as its own input events: a
// click goes to the window under the pointer, keys (read through xkbcommon
// with the compositor's keymap) to the window the compositor gave them to.
#pragma once

#include <QEvent>
#include <QPointF>
#include <Qt>
#include <cstdint>

struct wl_keyboard;
struct wl_pointer;
struct wl_seat;
struct wl_surface;
struct wl_cursor_theme;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace host::wayland {

class Window;

class Input {
  public:
    Input();
    ~Input();
    void AddSeat(wl_seat* seat);
    wl_seat* Seat() const { return seat_; }

  private:
    struct Events;
    void SetCursor(uint32_t serial);
    void Mouse(uint32_t time, Qt::MouseButton button, QEvent::Type type);
    Qt::KeyboardModifiers Modifiers() const;

    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    wl_surface* cursor_ = nullptr;
    wl_cursor_theme* cursorTheme_ = nullptr;
    Window* pointerWindow_ = nullptr;
    Window* keyWindow_ = nullptr;
    QPointF at_;
    Qt::MouseButtons buttons_;
    xkb_context* xkb_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
};

} // namespace host::wayland
