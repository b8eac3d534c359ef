#include "host/wayland/layer_input.h"

#include "host/wayland/layer_integration.h"
#include "host/wayland/layer_window.h"

#include <QCursor>
#include <QWindow>
#include <algorithm>
#include <linux/input-event-codes.h>
#include <qpa/qwindowsysteminterface.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-cursor.h>
#include <xkbcommon/xkbcommon.h>

namespace host::wayland {

namespace {

Qt::MouseButton Button(uint32_t button) {
    switch (button) {
    case BTN_LEFT: return Qt::LeftButton;
    case BTN_RIGHT: return Qt::RightButton;
    case BTN_MIDDLE: return Qt::MiddleButton;
    case BTN_SIDE: return Qt::BackButton;
    case BTN_EXTRA: return Qt::ForwardButton;
    default: return Qt::NoButton;
    }
}

// Qt's key for a key symbol: the named keys by table, a key that types a
// character by that character.
int QtKey(xkb_keysym_t sym, const QString& text) {
    static const std::pair<xkb_keysym_t, int> kNamed[] = {
        {XKB_KEY_Return, Qt::Key_Return},       {XKB_KEY_KP_Enter, Qt::Key_Enter},
        {XKB_KEY_BackSpace, Qt::Key_Backspace}, {XKB_KEY_Tab, Qt::Key_Tab},
        {XKB_KEY_ISO_Left_Tab, Qt::Key_Backtab}, {XKB_KEY_Escape, Qt::Key_Escape},
        {XKB_KEY_Delete, Qt::Key_Delete},       {XKB_KEY_Insert, Qt::Key_Insert},
        {XKB_KEY_Home, Qt::Key_Home},           {XKB_KEY_End, Qt::Key_End},
        {XKB_KEY_Left, Qt::Key_Left},           {XKB_KEY_Right, Qt::Key_Right},
        {XKB_KEY_Up, Qt::Key_Up},               {XKB_KEY_Down, Qt::Key_Down},
        {XKB_KEY_Page_Up, Qt::Key_PageUp},      {XKB_KEY_Page_Down, Qt::Key_PageDown},
        {XKB_KEY_Shift_L, Qt::Key_Shift},       {XKB_KEY_Shift_R, Qt::Key_Shift},
        {XKB_KEY_Control_L, Qt::Key_Control},   {XKB_KEY_Control_R, Qt::Key_Control},
        {XKB_KEY_Alt_L, Qt::Key_Alt},           {XKB_KEY_Alt_R, Qt::Key_Alt},
        {XKB_KEY_Super_L, Qt::Key_Meta},        {XKB_KEY_Super_R, Qt::Key_Meta},
        {XKB_KEY_Caps_Lock, Qt::Key_CapsLock},  {XKB_KEY_space, Qt::Key_Space},
    };
    for (auto [s, k] : kNamed)
        if (s == sym) return k;
    if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F12) return Qt::Key_F1 + int(sym - XKB_KEY_F1);
    if (!text.isEmpty() && text.at(0).isPrint()) return text.at(0).toUpper().unicode();
    return Qt::Key_unknown;
}

} // namespace

struct Input::Events {
    // ---- The seat ----
    static void Capabilities(void* data, wl_seat* seat, uint32_t caps) {
        auto* self = static_cast<Input*>(data);
        // A device may come and go (a virtual keyboard or pointer): what the
        // seat no longer has is let go, and taken again when it comes back.
        if (!(caps & WL_SEAT_CAPABILITY_POINTER) && self->pointer_) {
            wl_pointer_release(self->pointer_);
            self->pointer_ = nullptr;
            self->pointerWindow_ = nullptr;
            self->buttons_ = {};
        }
        if (!(caps & WL_SEAT_CAPABILITY_KEYBOARD) && self->keyboard_) {
            wl_keyboard_release(self->keyboard_);
            self->keyboard_ = nullptr;
            self->keyWindow_ = nullptr;
        }
        if ((caps & WL_SEAT_CAPABILITY_POINTER) && !self->pointer_) {
            self->pointer_ = wl_seat_get_pointer(seat);
            static const wl_pointer_listener kPointer = {Enter, Leave, Motion, ButtonEvent, Axis,
                                                         Frame, AxisSource, AxisStop, AxisDiscrete,
                                                         nullptr};
            wl_pointer_add_listener(self->pointer_, &kPointer, self);
        }
        if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) && !self->keyboard_) {
            self->keyboard_ = wl_seat_get_keyboard(seat);
            static const wl_keyboard_listener kKeyboard = {Keymap, KeyEnter, KeyLeave,
                                                           Key,    Mods,     RepeatInfo};
            wl_keyboard_add_listener(self->keyboard_, &kKeyboard, self);
        }
    }
    static void SeatName(void*, wl_seat*, const char*) {}

    // ---- The pointer ----
    static void Enter(void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x,
                      wl_fixed_t y) {
        auto* self = static_cast<Input*>(data);
        self->pointerWindow_ = Window::Of(surface, &self->offset_);
        self->at_ = QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y)) + self->offset_;
        self->enterSerial_ = serial;
        self->ShowCursor();
        if (Window* w = self->pointerWindow_)
            QWindowSystemInterface::handleEnterEvent(w->window(), self->at_,
                                                     w->window()->mapToGlobal(self->at_));
    }
    static void Leave(void* data, wl_pointer*, uint32_t, wl_surface*) {
        auto* self = static_cast<Input*>(data);
        if (self->pointerWindow_) QWindowSystemInterface::handleLeaveEvent(self->pointerWindow_->window());
        self->pointerWindow_ = nullptr;
        self->buttons_ = {};
    }
    static void Motion(void* data, wl_pointer*, uint32_t time, wl_fixed_t x, wl_fixed_t y) {
        auto* self = static_cast<Input*>(data);
        self->at_ = QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y)) + self->offset_;
        self->Mouse(time, Qt::NoButton, QEvent::MouseMove);
    }
    static void ButtonEvent(void* data, wl_pointer*, uint32_t, uint32_t time, uint32_t button,
                            uint32_t state) {
        auto* self = static_cast<Input*>(data);
        Qt::MouseButton b = Button(button);
        if (b == Qt::NoButton) return;
        bool pressed = state == WL_POINTER_BUTTON_STATE_PRESSED;
        self->buttons_.setFlag(b, pressed);
        self->Mouse(time, b, pressed ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease);
    }
    static void Axis(void* data, wl_pointer*, uint32_t time, uint32_t axis, wl_fixed_t value) {
        auto* self = static_cast<Input*>(data);
        Window* w = self->pointerWindow_;
        if (!w) return;
        // About 15 a notch: Qt counts 120.
        int delta = int(-wl_fixed_to_double(value) * 8);
        QPoint angle = axis == WL_POINTER_AXIS_VERTICAL_SCROLL ? QPoint(0, delta) : QPoint(delta, 0);
        QWindowSystemInterface::handleWheelEvent(w->window(), time, self->at_,
                                                 w->window()->mapToGlobal(self->at_), QPoint(),
                                                 angle, self->Modifiers());
    }
    static void Frame(void*, wl_pointer*) {}
    static void AxisSource(void*, wl_pointer*, uint32_t) {}
    static void AxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
    static void AxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}

    // ---- The keyboard ----
    static void Keymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
        auto* self = static_cast<Input*>(data);
        if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
            close(fd);
            return;
        }
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        close(fd);
        if (text == MAP_FAILED) return;
        xkb_keymap* keymap = xkb_keymap_new_from_string(self->xkb_, static_cast<const char*>(text),
                                                        XKB_KEYMAP_FORMAT_TEXT_V1,
                                                        XKB_KEYMAP_COMPILE_NO_FLAGS);
        munmap(text, size);
        if (!keymap) return;
        if (self->state_) xkb_state_unref(self->state_);
        if (self->keymap_) xkb_keymap_unref(self->keymap_);
        self->keymap_ = keymap;
        self->state_ = xkb_state_new(keymap);
    }
    static void KeyEnter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
        auto* self = static_cast<Input*>(data);
        self->keyWindow_ = Window::Of(surface);
        if (self->keyWindow_)
            QWindowSystemInterface::handleWindowActivated(self->keyWindow_->window(),
                                                          Qt::ActiveWindowFocusReason);
    }
    static void KeyLeave(void* data, wl_keyboard*, uint32_t, wl_surface*) {
        auto* self = static_cast<Input*>(data);
        self->keyWindow_ = nullptr;
        self->repeat_.stop();
        QWindowSystemInterface::handleWindowActivated(nullptr, Qt::ActiveWindowFocusReason);
    }
    static void Key(void* data, wl_keyboard*, uint32_t, uint32_t time, uint32_t key,
                    uint32_t state) {
        static_cast<Input*>(data)->Key(time, key + 8, state == WL_KEYBOARD_KEY_STATE_PRESSED, false);
    }
    static void Mods(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                     uint32_t locked, uint32_t group) {
        auto* self = static_cast<Input*>(data);
        if (self->state_) xkb_state_update_mask(self->state_, depressed, latched, locked, 0, 0, group);
    }
    static void RepeatInfo(void* data, wl_keyboard*, int32_t rate, int32_t delay) {
        auto* self = static_cast<Input*>(data);
        self->repeatRate_ = rate; // 0: keys do not repeat
        self->repeatDelay_ = delay;
    }
};

Input::Input() : xkb_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    QObject::connect(&repeat_, &QTimer::timeout, [this] {
        repeat_.setInterval(1000 / std::max(1, repeatRate_));
        Key(0, repeatCode_, true, true);
    });
}

void Input::Key(uint32_t time, uint32_t code, bool pressed, bool repeated) {
    if (!state_ || !keyWindow_) return;
    xkb_keysym_t sym = xkb_state_key_get_one_sym(state_, code);
    char utf8[64] = {};
    xkb_state_key_get_utf8(state_, code, utf8, sizeof utf8);
    QString text = QString::fromUtf8(utf8);
    if (!text.isEmpty() && !text.at(0).isPrint() && text != "\r" && text != "\t" && text != "\b")
        text.clear();
    QWindowSystemInterface::handleExtendedKeyEvent(
        keyWindow_->window(), time, pressed ? QEvent::KeyPress : QEvent::KeyRelease,
        QtKey(sym, text), Modifiers(), code, sym, 0, text, repeated);
    // The key held down is pressed again at the seat's rate, after its delay.
    if (repeated) return;
    if (pressed && repeatRate_ > 0 && xkb_keymap_key_repeats(keymap_, code)) {
        repeatCode_ = code;
        repeat_.start(repeatDelay_);
    } else if (!pressed && code == repeatCode_) {
        repeat_.stop();
    }
}

Input::~Input() {
    if (pointer_) wl_pointer_release(pointer_);
    if (keyboard_) wl_keyboard_release(keyboard_);
    if (cursor_) wl_surface_destroy(cursor_);
    if (cursorTheme_) wl_cursor_theme_destroy(cursorTheme_);
    if (state_) xkb_state_unref(state_);
    if (keymap_) xkb_keymap_unref(keymap_);
    if (xkb_) xkb_context_unref(xkb_);
    if (seat_) wl_seat_destroy(seat_);
}

void Input::AddSeat(wl_seat* seat) {
    if (seat_) { // one seat is the desktop's
        wl_seat_destroy(seat);
        return;
    }
    seat_ = seat;
    static const wl_seat_listener kSeat = {Events::Capabilities, Events::SeatName};
    wl_seat_add_listener(seat_, &kSeat, this);
}

void Input::Mouse(uint32_t time, Qt::MouseButton button, QEvent::Type type) {
    Window* w = pointerWindow_;
    if (!w) return;
    QWindowSystemInterface::handleMouseEvent(w->window(), time, at_, w->window()->mapToGlobal(at_),
                                             buttons_, button, type, Modifiers());
}

void Input::SetShape(Qt::CursorShape shape) {
    if (shape == shape_) return;
    shape_ = shape;
    ShowCursor();
}

void Input::ShowCursor() {
    if (!pointer_ || !pointerWindow_) return;
    if (shape_ == Qt::BlankCursor) {
        wl_pointer_set_cursor(pointer_, enterSerial_, nullptr, 0, 0);
        return;
    }
    // The shape's image in the cursor theme, by the names themes give it.
    static const std::pair<Qt::CursorShape, const char*> kNames[] = {
        {Qt::IBeamCursor, "xterm"},          {Qt::PointingHandCursor, "hand2"},
        {Qt::WaitCursor, "watch"},           {Qt::BusyCursor, "left_ptr_watch"},
        {Qt::CrossCursor, "crosshair"},      {Qt::SizeVerCursor, "sb_v_double_arrow"},
        {Qt::SizeHorCursor, "sb_h_double_arrow"}, {Qt::ForbiddenCursor, "crossed_circle"},
        {Qt::OpenHandCursor, "hand1"},       {Qt::ClosedHandCursor, "grabbing"},
        {Qt::WhatsThisCursor, "question_arrow"}, {Qt::SizeAllCursor, "fleur"}};
    const char* name = "left_ptr";
    for (auto [s, n] : kNames)
        if (s == shape_) name = n;
    if (!cursorTheme_) cursorTheme_ = wl_cursor_theme_load(nullptr, 24, Integration::Instance()->Shm());
    wl_cursor* cursor = cursorTheme_ ? wl_cursor_theme_get_cursor(cursorTheme_, name) : nullptr;
    if (!cursor && cursorTheme_) cursor = wl_cursor_theme_get_cursor(cursorTheme_, "left_ptr");
    if (!cursor || cursor->image_count < 1) return;
    wl_cursor_image* image = cursor->images[0];
    if (!cursor_) cursor_ = wl_compositor_create_surface(Integration::Instance()->Compositor());
    wl_surface_attach(cursor_, wl_cursor_image_get_buffer(image), 0, 0);
    wl_surface_damage(cursor_, 0, 0, int32_t(image->width), int32_t(image->height));
    wl_surface_commit(cursor_);
    wl_pointer_set_cursor(pointer_, enterSerial_, cursor_, int32_t(image->hotspot_x),
                          int32_t(image->hotspot_y));
}

Qt::KeyboardModifiers Input::Modifiers() const {
    Qt::KeyboardModifiers m;
    if (!state_) return m;
    auto on = [this](const char* name) {
        return xkb_state_mod_name_is_active(state_, name, XKB_STATE_MODS_EFFECTIVE) > 0;
    };
    if (on(XKB_MOD_NAME_SHIFT)) m |= Qt::ShiftModifier;
    if (on(XKB_MOD_NAME_CTRL)) m |= Qt::ControlModifier;
    if (on(XKB_MOD_NAME_ALT)) m |= Qt::AltModifier;
    if (on(XKB_MOD_NAME_LOGO)) m |= Qt::MetaModifier;
    return m;
}

} // namespace host::wayland
