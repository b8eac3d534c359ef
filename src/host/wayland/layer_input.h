// The seat's pointer and keyboard, handed to Qt as its own input events: a
// click goes to the window under the pointer, keys (read through xkbcommon
// with the compositor's keymap, repeated at the seat's rate) to the window
// the compositor gave them to. The pointer takes the shape the page asks for
// (an I-beam over a note, a hand over a link) from the cursor theme.
#pragma once

#include <QEvent>
#include <QPointF>
#include <QTimer>
#include <Qt>
#include <cstdint>
#include <qpa/qplatformcursor.h>

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
    // The pointer's shape over this platform's windows.
    void SetShape(Qt::CursorShape shape);

  private:
    struct Events;
    void ShowCursor();
    void Key(uint32_t time, uint32_t code, bool pressed, bool repeated);
    void Mouse(uint32_t time, Qt::MouseButton button, QEvent::Type type);
    Qt::KeyboardModifiers Modifiers() const;

    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    wl_surface* cursor_ = nullptr;
    wl_cursor_theme* cursorTheme_ = nullptr;
    Qt::CursorShape shape_ = Qt::ArrowCursor;
    uint32_t enterSerial_ = 0; // of the pointer's last entry, which a shape needs
    Window* pointerWindow_ = nullptr;
    Window* keyWindow_ = nullptr;
    QPointF at_;     // in the window
    QPoint offset_;  // of the pointer's surface in its window (one across outputs)
    Qt::MouseButtons buttons_;
    xkb_context* xkb_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    QTimer repeat_;             // the key held down, pressed again
    uint32_t repeatCode_ = 0;
    int repeatRate_ = 25, repeatDelay_ = 600; // a second, milliseconds
};

// The screens' cursor: the shape a window asks for goes to the seat.
class Cursor : public QPlatformCursor {
  public:
    explicit Cursor(Input* input) : input_(input) {}
    void changeCursor(QCursor* cursor, QWindow*) override {
        input_->SetShape(cursor ? cursor->shape() : Qt::ArrowCursor);
    }

  private:
    Input* input_;
};

} // namespace host::wayland
