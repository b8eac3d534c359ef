#include "host/wayland/layer_window.h"

#include "host/wayland/layer_gl.h"
#include "host/wayland/layer_integration.h"
#include "host/wayland/layer_watch.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>
#include <cmath>
#include <unordered_map>
#include <wayland-client.h>

namespace host::wayland {

namespace {

// A frame asked for and not drawn within this long: the surface is not seen.
constexpr int kUnseenMs = 1000;

// The surfaces of this platform's windows (the cursor's is another).
std::unordered_map<wl_surface*, Window*>& Windows() {
    static std::unordered_map<wl_surface*, Window*> windows;
    return windows;
}

} // namespace

Window::Window(QWindow* window) : QPlatformWindow(window) {
    surface_ = wl_compositor_create_surface(Integration::Instance()->Compositor());
    Windows()[surface_] = this;
    unseen_ = new QTimer;
    unseen_->setSingleShot(true);
    unseen_->setInterval(kUnseenMs);
    QObject::connect(unseen_, &QTimer::timeout, [this] {
        drawn_ = false;
        Recompute();
    });
}

Window::~Window() {
    Unmap();
    gl_.reset(); // before the surface it draws on
    delete unseen_;
    Windows().erase(surface_);
    if (viewport_) wp_viewport_destroy(viewport_);
    wl_surface_destroy(surface_);
    Integration::Instance()->Flush();
}

void Window::ShellChanged() {
    for (auto& [surface, window] : Windows())
        window->Recompute();
}

Window* Window::Of(wl_surface* surface) {
    auto it = Windows().find(surface);
    return it == Windows().end() ? nullptr : it->second;
}

void Window::setVisible(bool visible) {
    if (visible)
        Map();
    else
        Unmap();
}

void Window::setGeometry(const QRect& rect) {
    // Anchored on all edges: the compositor decides the size, the output the place.
    QPlatformWindow::setGeometry(configured_ ? QRect(geometry().topLeft(), size_) : rect);
}

void Window::Map() {
    if (layer_) return;
    Integration* in = Integration::Instance();
    Screen* screen = in->ScreenOf(window()->screen() ? window()->screen()->handle() : nullptr);
    // At the output's scale, fractional ones too, where a viewport shows the
    // buffer at the logical size; otherwise at the next whole scale, which
    // the compositor scales down.
    scale_ = screen ? screen->devicePixelRatio() : 1;
    if (in->Viewporter() && !viewport_)
        viewport_ = wp_viewporter_get_viewport(in->Viewporter(), surface_);
    if (!viewport_) scale_ = std::ceil(scale_);
    output_ = screen ? screen->Output() : nullptr;
    layer_ = zwlr_layer_shell_v1_get_layer_surface(
        in->LayerShell(), surface_, output_,
        ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "zelkora-desktop");
    static const zwlr_layer_surface_v1_listener kListener = {Configure, Closed};
    zwlr_layer_surface_v1_add_listener(layer_, &kListener, this);
    zwlr_layer_surface_v1_set_anchor(
        layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    zwlr_layer_surface_v1_set_size(layer_, 0, 0);
    // Keys only after a click: a note typed into, never otherwise.
    if (in->LayerShellVersion() >= 4)
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND);
    if (screen) setGeometry(screen->geometry());
    wl_surface_commit(surface_); // no buffer yet: the compositor answers with a size
    in->Flush();
}

void Window::Unmap() {
    if (!layer_) return;
    zwlr_layer_surface_v1_destroy(layer_);
    layer_ = nullptr;
    if (frame_) wl_callback_destroy(frame_);
    frame_ = nullptr;
    unseen_->stop();
    wl_surface_attach(surface_, nullptr, 0, 0);
    wl_surface_commit(surface_);
    configured_ = false;
    Recompute();
    Integration::Instance()->Flush();
}

void Window::Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                       uint32_t height) {
    auto* self = static_cast<Window*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    QScreen* screen = self->window()->screen();
    QRect output = screen ? screen->handle()->geometry() : QRect();
    self->size_ = QSize(width ? int(width) : output.width(), height ? int(height) : output.height());
    self->configured_ = true;
    QRect placed(output.topLeft(), self->size_);
    self->QPlatformWindow::setGeometry(placed);
    QWindowSystemInterface::handleGeometryChange(self->window(), placed);
    if (self->gl_) self->gl_->Resize(self->Pixels());
    self->exposed_ = false; // shown anew at the size given
    self->Recompute();
}

void Window::Closed(void* data, zwlr_layer_surface_v1*) {
    // The output went: the host makes its window again on an output that is.
    static_cast<Window*>(data)->Unmap();
}

void Window::Recompute() {
    bool exposed = configured_ && drawn_ && !Integration::Instance()->Watcher().Hides(output_);
    if (exposed == exposed_) return;
    exposed_ = exposed;
    QWindowSystemInterface::handleExposeEvent(window(),
                                              exposed ? QRegion(QRect(QPoint(), size_)) : QRegion());
}

void Window::requestUpdate() {
    // The next frame waits for the compositor's word that it drew the last.
    if (frame_)
        updateWanted_ = true;
    else
        QPlatformWindow::requestUpdate();
}

void Window::AskFrame() {
    if (frame_) return;
    frame_ = wl_surface_frame(surface_);
    static const wl_callback_listener kListener = {FrameDone};
    wl_callback_add_listener(frame_, &kListener, this);
    unseen_->start();
}

void Window::FrameDone(void* data, wl_callback* callback, uint32_t) {
    auto* self = static_cast<Window*>(data);
    wl_callback_destroy(callback);
    self->frame_ = nullptr;
    self->unseen_->stop();
    self->drawn_ = true;
    self->Recompute();
    if (self->updateWanted_) {
        self->updateWanted_ = false;
        self->deliverUpdateRequest();
    }
}

QSize Window::Pixels() const {
    QSize logical = configured_ ? size_ : geometry().size();
    return (QSizeF(logical) * scale_).toSize().expandedTo(QSize(1, 1));
}

bool Window::BeginFrame() {
    if (!layer_ || !configured_) return false;
    AskFrame();
    if (viewport_)
        wp_viewport_set_destination(viewport_, size_.width(), size_.height());
    else
        wl_surface_set_buffer_scale(surface_, int(scale_));
    return true;
}

void* Window::GLSurface(void* eglDisplay, void* eglConfig) {
    if (!gl_) gl_ = std::make_unique<GLWindowSurface>(eglDisplay, eglConfig, surface_, Pixels());
    return gl_->Surface();
}

void Window::Attach(wl_buffer* buffer, const QRegion& damage) {
    if (!BeginFrame()) return;
    wl_surface_attach(surface_, buffer, 0, 0);
    for (const QRect& r : damage)
        wl_surface_damage_buffer(surface_, r.x(), r.y(), r.width(), r.height());
    wl_surface_commit(surface_);
    Integration::Instance()->Flush();
}

} // namespace host::wayland
