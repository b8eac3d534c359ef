#include "host/wayland/layer_window.h"

#include "host/wayland/layer_gl.h"
#include "host/wayland/layer_integration.h"
#include "host/wayland/layer_watch.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <wayland-client.h>

namespace host::wayland {

namespace {

// A frame asked for and not drawn within this long: the surface is not seen.
constexpr int kUnseenMs = 1000;

} // namespace

struct Window::Part {
    Window* window = nullptr;
    wl_surface* surface = nullptr;
    wp_viewport* viewport = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    wl_output* output = nullptr;
    wl_callback* frame = nullptr;
    QSize size; // as configured, logical
    bool configured = false;
    bool drawn = true; // the compositor draws what it is sent
    QTimer unseen;     // a frame asked for and not drawn for a while
};

namespace {

// The surfaces of this platform's windows (the cursor's is another), each
// one part of a window.
std::unordered_map<wl_surface*, Window::Part*>& Parts() {
    static std::unordered_map<wl_surface*, Window::Part*> parts;
    return parts;
}

// Where an output lies on the desktop, logical; empty when it is gone.
QRect PlaceOf(wl_output* output) {
    for (QScreen* s : QGuiApplication::screens())
        if (Screen* screen = Integration::Instance()->ScreenOf(s->handle()); screen && screen->Output() == output)
            return screen->geometry();
    return {};
}

} // namespace

Window::Window(QWindow* window) : QPlatformWindow(window) {
    surface_ = wl_compositor_create_surface(Integration::Instance()->Compositor());
}

Window::~Window() {
    Unmap();
    gl_.reset(); // before the surface it draws on
    if (viewport_) wp_viewport_destroy(viewport_);
    wl_surface_destroy(surface_);
    Integration::Instance()->Flush();
}

void Window::ShellChanged() {
    for (auto& [surface, part] : Parts())
        part->window->Recompute();
}

Window* Window::Of(wl_surface* surface, QPoint* offset) {
    auto it = Parts().find(surface);
    if (it == Parts().end()) return nullptr;
    Part* part = it->second;
    if (offset) *offset = PlaceOf(part->output).topLeft() - part->window->geometry().topLeft();
    return part->window;
}

void Window::setVisible(bool visible) {
    if (visible)
        Map();
    else
        Unmap();
}

void Window::setGeometry(const QRect& rect) {
    // Anchored on all edges: the compositor decides the size, the outputs the place.
    QPlatformWindow::setGeometry(Configured() ? QRect(geometry().topLeft(), size_) : rect);
}

std::vector<Screen*> Window::OutputsUnder() const {
    Integration* in = Integration::Instance();
    Screen* own = in->ScreenOf(window()->screen() ? window()->screen()->handle() : nullptr);
    if (!own) return {};
    // A window within its own output stays there; one laid over others as
    // well is a part on each.
    std::vector<Screen*> under{own};
    QRect want = geometry();
    if (own->geometry().contains(want)) return under;
    for (QScreen* s : QGuiApplication::screens())
        if (Screen* screen = in->ScreenOf(s->handle());
            screen && screen != own && screen->geometry().intersects(want))
            under.push_back(screen);
    return under;
}

void Window::Map() {
    if (!parts_.empty()) return;
    Integration* in = Integration::Instance();
    std::vector<Screen*> outputs = OutputsUnder();
    // At the window's own output's scale, fractional ones too, where a
    // viewport shows the buffer at the logical size; otherwise at the next
    // whole scale, which the compositor scales down. Other outputs under the
    // window show their part of it, scaled by the compositor.
    scale_ = outputs.empty() ? 1 : outputs.front()->devicePixelRatio();
    if (in->Viewporter() && !viewport_)
        viewport_ = wp_viewporter_get_viewport(in->Viewporter(), surface_);
    if (!viewport_) scale_ = std::ceil(scale_);
    QRect place;
    for (size_t i = 0; i < std::max<size_t>(outputs.size(), 1); ++i) {
        auto part = std::make_unique<Part>();
        Part* p = part.get();
        p->window = this;
        p->surface = i == 0 ? surface_ : wl_compositor_create_surface(in->Compositor());
        p->viewport = i == 0 || !viewport_ ? viewport_ : wp_viewporter_get_viewport(in->Viewporter(), p->surface);
        p->output = outputs.empty() ? nullptr : outputs[i]->Output();
        if (!outputs.empty()) place |= outputs[i]->geometry();
        p->unseen.setSingleShot(true);
        p->unseen.setInterval(kUnseenMs);
        QObject::connect(&p->unseen, &QTimer::timeout, [this, p] {
            p->drawn = false;
            Recompute();
        });
        p->layer = zwlr_layer_shell_v1_get_layer_surface(
            in->LayerShell(), p->surface, p->output, ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
            "zelkora-desktop");
        static const zwlr_layer_surface_v1_listener kListener = {Configure, Closed};
        zwlr_layer_surface_v1_add_listener(p->layer, &kListener, p);
        zwlr_layer_surface_v1_set_anchor(
            p->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                          ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_exclusive_zone(p->layer, -1);
        zwlr_layer_surface_v1_set_size(p->layer, 0, 0);
        // Keys only after a click: a note typed into, never otherwise.
        if (in->LayerShellVersion() >= 4)
            zwlr_layer_surface_v1_set_keyboard_interactivity(
                p->layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND);
        wl_surface_commit(p->surface); // no buffer yet: the compositor answers with a size
        Parts()[p->surface] = p;
        parts_.push_back(std::move(part));
    }
    if (!place.isEmpty()) QPlatformWindow::setGeometry(place);
    in->Flush();
}

void Window::Unmap() {
    if (parts_.empty()) return;
    for (auto& p : parts_) {
        zwlr_layer_surface_v1_destroy(p->layer);
        if (p->frame) wl_callback_destroy(p->frame);
        Parts().erase(p->surface);
        if (p->surface == surface_) {
            wl_surface_attach(surface_, nullptr, 0, 0);
            wl_surface_commit(surface_);
            continue;
        }
        if (p->viewport) wp_viewport_destroy(p->viewport);
        wl_surface_destroy(p->surface);
    }
    parts_.clear();
    Recompute();
    Integration::Instance()->Flush();
}

bool Window::Configured() const {
    if (parts_.empty()) return false;
    for (auto& p : parts_)
        if (!p->configured) return false;
    return true;
}

void Window::Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                       uint32_t height) {
    auto* part = static_cast<Part*>(data);
    Window* self = part->window;
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    QRect output = PlaceOf(part->output);
    if (output.isEmpty() && self->window()->screen()) output = self->window()->screen()->handle()->geometry();
    part->size = QSize(width ? int(width) : output.width(), height ? int(height) : output.height());
    part->configured = true;
    if (!self->Configured()) return;
    // The window covers what its parts cover.
    QRect placed;
    for (auto& p : self->parts_) {
        QRect at = PlaceOf(p->output);
        placed |= QRect(at.isEmpty() ? output.topLeft() : at.topLeft(), p->size);
    }
    self->size_ = placed.size();
    self->QPlatformWindow::setGeometry(placed);
    QWindowSystemInterface::handleGeometryChange(self->window(), placed);
    if (self->gl_) self->gl_->Resize(self->Pixels());
    self->exposed_ = false; // shown anew at the size given
    self->Recompute();
}

void Window::Closed(void* data, zwlr_layer_surface_v1*) {
    // An output went: the host makes its window again on the outputs that are.
    static_cast<Part*>(data)->window->Unmap();
}

void Window::Recompute() {
    bool exposed = false;
    if (Configured())
        for (auto& p : parts_)
            exposed = exposed || (p->drawn && !Integration::Instance()->Watcher().Hides(p->output));
    if (exposed == exposed_) return;
    exposed_ = exposed;
    QWindowSystemInterface::handleExposeEvent(window(),
                                              exposed ? QRegion(QRect(QPoint(), size_)) : QRegion());
}

void Window::requestUpdate() {
    // The next frame waits for the compositor's word that it drew the last,
    // on an output where it still draws.
    for (auto& p : parts_)
        if (p->frame && p->drawn) {
            updateWanted_ = true;
            return;
        }
    QPlatformWindow::requestUpdate();
}

void Window::Ready(Part& p) {
    if (!p.frame) {
        p.frame = wl_surface_frame(p.surface);
        static const wl_callback_listener kListener = {FrameDone};
        wl_callback_add_listener(p.frame, &kListener, &p);
        p.unseen.start();
    }
    if (p.viewport)
        wp_viewport_set_destination(p.viewport, p.size.width(), p.size.height());
    else
        wl_surface_set_buffer_scale(p.surface, int(scale_));
}

void Window::FrameDone(void* data, wl_callback* callback, uint32_t) {
    auto* part = static_cast<Part*>(data);
    Window* self = part->window;
    wl_callback_destroy(callback);
    part->frame = nullptr;
    part->unseen.stop();
    part->drawn = true;
    self->Recompute();
    if (self->updateWanted_) {
        self->updateWanted_ = false;
        self->deliverUpdateRequest();
    }
}

QSize Window::Pixels() const {
    QSize logical = Configured() ? size_ : geometry().size();
    return (QSizeF(logical) * scale_).toSize().expandedTo(QSize(1, 1));
}

bool Window::BeginFrame() {
    if (!Configured()) return false;
    for (auto& p : parts_)
        Ready(*p);
    return true;
}

void* Window::GLSurface(void* eglDisplay, void* eglConfig) {
    if (!gl_) gl_ = std::make_unique<GLWindowSurface>(eglDisplay, eglConfig, surface_, Pixels());
    return gl_->Surface();
}

std::vector<QRect> Window::PartPixels() const {
    if (parts_.size() == 1) return {QRect(QPoint(), Pixels())};
    std::vector<QRect> rects;
    for (auto& p : parts_) {
        QPointF at = QPointF(PlaceOf(p->output).topLeft() - geometry().topLeft()) * scale_;
        rects.push_back(QRectF(at, QSizeF(p->size) * scale_).toRect() & QRect(QPoint(), Pixels()));
    }
    return rects;
}

void Window::Attach(size_t part, wl_buffer* buffer, const QRegion& damage) {
    if (!Configured() || part >= parts_.size()) return;
    Ready(*parts_[part]);
    wl_surface* surface = parts_[part]->surface;
    wl_surface_attach(surface, buffer, 0, 0);
    for (const QRect& r : damage)
        wl_surface_damage_buffer(surface, r.x(), r.y(), r.width(), r.height());
    wl_surface_commit(surface);
    Integration::Instance()->Flush();
}

} // namespace host::wayland
