#include "host/wayland/layer_integration.h"

#include "host/wayland/layer_backing_store.h"
#include "host/wayland/layer_gl.h"
#include "host/wayland/layer_input.h"
#include "host/wayland/layer_watch.h"
#include "host/wayland/layer_window.h"
#include "ext-idle-notify-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <QtGui/private/qgenericunixeventdispatcher_p.h>
#include <QtGui/private/qgenericunixfontdatabase_p.h>
#include <QtGui/private/qgenericunixthemes_p.h>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QtGui/private/qeglpbuffer_p.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <unistd.h>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qwindowsysteminterface.h>
#include <wayland-client.h>

namespace host::wayland {

namespace {

Integration* theIntegration = nullptr;
bool openGLOffered = false;

// What this platform asks of the compositor, at the most.
constexpr uint32_t kCompositorVersion = 4, kShmVersion = 1, kOutputVersion = 4,
                   kSeatVersion = 5, kLayerShellVersion = 4, kToplevelsVersion = 3,
                   kXdgOutputVersion = 3;

bool Is(const char* a, const wl_interface& b) {
    return std::strcmp(a, b.name) == 0;
}

} // namespace

void OfferOpenGL(bool offer) {
    openGLOffered = offer;
}

Compositor ProbeCompositor(int milliseconds) {
    wl_display* display = wl_display_connect(nullptr);
    for (int waited = 0; !display && waited < milliseconds; waited += 100) {
        usleep(100 * 1000);
        display = wl_display_connect(nullptr);
    }
    if (!display) return Compositor::Absent;
    bool offered = false;
    static const wl_registry_listener kListener = {
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            if (Is(interface, zwlr_layer_shell_v1_interface)) *static_cast<bool*>(data) = true;
        },
        [](void*, wl_registry*, uint32_t) {}};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kListener, &offered);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered ? Compositor::LayerShell : Compositor::NoLayerShell;
}

QSize LargestOutput() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return {};
    QSize largest;
    static const wl_output_listener kOutput = {
        [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
           const char*, int32_t) {},
        [](void* data, wl_output*, uint32_t flags, int32_t w, int32_t h, int32_t) {
            auto* size = static_cast<QSize*>(data);
            if ((flags & WL_OUTPUT_MODE_CURRENT) && w * h > size->width() * size->height())
                *size = QSize(w, h);
        },
        [](void*, wl_output*) {}, [](void*, wl_output*, int32_t) {}, nullptr, nullptr};
    static const wl_registry_listener kListener = {
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
            if (Is(interface, wl_output_interface))
                wl_output_add_listener(
                    static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1)),
                    &kOutput, data);
        },
        [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(wl_display_get_registry(display), &kListener, &largest);
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return largest;
}

// ---- Screens ----

struct OutputEvents {
    static void Geometry(void* data, wl_output*, int32_t x, int32_t y, int32_t mmWidth,
                         int32_t mmHeight, int32_t, const char*, const char*, int32_t) {
        auto* s = static_cast<Screen*>(data);
        s->d_.position = QPoint(x, y);
        s->d_.physical = QSizeF(mmWidth, mmHeight);
    }
    static void Mode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height,
                     int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT) static_cast<Screen*>(data)->d_.modeSize = QSize(width, height);
    }
    static void Done(void* data, wl_output*) {
        static_cast<Screen*>(data)->Update();
    }
    static void LogicalPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
        static_cast<Screen*>(data)->d_.logicalPosition = QPoint(x, y);
    }
    static void LogicalSize(void* data, zxdg_output_v1*, int32_t w, int32_t h) {
        static_cast<Screen*>(data)->d_.logicalSize = QSize(w, h);
    }
    static void XdgDone(void* data, zxdg_output_v1* o) {
        // From version 3 on, wl_output's "done" ends xdg-output's changes too.
        if (zxdg_output_v1_get_version(o) < 3) static_cast<Screen*>(data)->Update();
    }
    static void XdgName(void*, zxdg_output_v1*, const char*) {}
    static void XdgDescription(void*, zxdg_output_v1*, const char*) {}
    static void Scale(void* data, wl_output*, int32_t factor) {
        static_cast<Screen*>(data)->d_.scale = std::max(1, factor);
    }
    static void Name(void* data, wl_output*, const char* name) {
        static_cast<Screen*>(data)->d_.name = QString::fromUtf8(name);
    }
    static void Description(void*, wl_output*, const char*) {}
};

namespace {
const wl_output_listener kOutputListener = {OutputEvents::Geometry, OutputEvents::Mode,
                                            OutputEvents::Done,     OutputEvents::Scale,
                                            OutputEvents::Name,     OutputEvents::Description};
} // namespace

Screen::Screen(wl_output* output, uint32_t globalName) : output_(output), globalName_(globalName) {
    d_.name = QString("output-%1").arg(globalName);
    wl_output_add_listener(output_, &kOutputListener, this);
}

void Screen::Describe(zxdg_output_manager_v1* manager) {
    if (xdgOutput_ || !manager) return;
    xdgOutput_ = zxdg_output_manager_v1_get_xdg_output(manager, output_);
    static const zxdg_output_v1_listener kListener = {
        OutputEvents::LogicalPosition, OutputEvents::LogicalSize, OutputEvents::XdgDone,
        OutputEvents::XdgName, OutputEvents::XdgDescription};
    zxdg_output_v1_add_listener(xdgOutput_, &kListener, this);
}

Screen::Screen(Screen& from)
    : output_(std::exchange(from.output_, nullptr)),
      xdgOutput_(std::exchange(from.xdgOutput_, nullptr)), globalName_(from.globalName_),
      d_(from.d_), described_(true) {
    // What the output says next is this screen's.
    wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(output_), this);
    if (xdgOutput_) wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(xdgOutput_), this);
}

void Screen::Update() {
    const qreal was = d_.ratio;
    // The logical size is what a surface anchored on all edges is given; the
    // pixels it shows are the mode's, so their ratio is the scale to draw at,
    // in 120ths as compositors keep scales (800 pixels shown as 533 is 1.5).
    if (d_.logicalSize.isValid() && !d_.logicalSize.isEmpty()) {
        d_.geometry = QRect(d_.logicalPosition, d_.logicalSize);
        d_.ratio = std::round(120.0 * d_.modeSize.width() / d_.logicalSize.width()) / 120;
    } else {
        d_.geometry = QRect(d_.position, d_.modeSize / d_.scale);
        d_.ratio = d_.scale;
    }
    bool first = !described_;
    described_ = true;
    if (first)
        Integration::Instance()->OutputDescribed(this);
    else if (d_.ratio != was)
        Integration::Instance()->Renew(this); // deletes this
    else
        QWindowSystemInterface::handleScreenGeometryChange(screen(), d_.geometry, d_.geometry);
}

QPlatformCursor* Screen::cursor() const {
    return Integration::Instance()->CursorOfScreens();
}

Screen::~Screen() {
    if (xdgOutput_) zxdg_output_v1_destroy(xdgOutput_);
    if (!output_) return; // taken over
    if (wl_output_get_version(output_) >= 3)
        wl_output_release(output_);
    else
        wl_output_destroy(output_);
}

// ---- The integration ----

Integration::Integration() {
    theIntegration = this;
    display_ = wl_display_connect(nullptr);
    if (!display_) qFatal("zelkora-desktop: no Wayland display to draw on");
    if (openGLOffered) egl_ = std::make_unique<EglDisplay>(display_);
    input_ = std::make_unique<Input>();
    cursor_ = std::make_unique<Cursor>(input_.get());
    watch_ = std::make_unique<Watch>([] { Window::ShellChanged(); });
    static const wl_registry_listener kListener = {Global, GlobalRemove};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kListener, this);
    // The globals, then what each output says of itself.
    wl_display_roundtrip(display_);
    wl_display_roundtrip(display_);
    if (!compositor_ || !shm_ || !layerShell_)
        qFatal("zelkora-desktop: the Wayland compositor offers no layer-shell");
    if (idleNotifier_ && input_->Seat()) watch_->SetIdleNotifier(idleNotifier_, input_->Seat());
}

Integration::~Integration() {
    cursor_.reset();
    if (viewporter_) wp_viewporter_destroy(viewporter_);
    watch_.reset();
    if (idleNotifier_) ext_idle_notifier_v1_destroy(idleNotifier_);
    input_.reset();
    if (layerShell_) {
        if (layerShellVersion_ >= 3)
            zwlr_layer_shell_v1_destroy(layerShell_);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layerShell_)); // no request before 3
    }
    for (Screen* s : screens_)
        if (!s->Described()) delete s;
    theIntegration = nullptr;
}

Integration* Integration::Instance() {
    return theIntegration;
}

void Integration::Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                         uint32_t version) {
    auto* self = static_cast<Integration*>(data);
    auto bind = [&](const wl_interface& i, uint32_t most) {
        return wl_registry_bind(registry, name, &i, std::min(version, most));
    };
    if (Is(interface, wl_compositor_interface)) {
        self->compositor_ = static_cast<wl_compositor*>(bind(wl_compositor_interface, kCompositorVersion));
    } else if (Is(interface, wl_shm_interface)) {
        self->shm_ = static_cast<wl_shm*>(bind(wl_shm_interface, kShmVersion));
    } else if (Is(interface, zwlr_layer_shell_v1_interface)) {
        self->layerShellVersion_ = std::min(version, kLayerShellVersion);
        self->layerShell_ =
            static_cast<zwlr_layer_shell_v1*>(bind(zwlr_layer_shell_v1_interface, kLayerShellVersion));
    } else if (Is(interface, wl_output_interface)) {
        self->screens_.push_back(
            new Screen(static_cast<wl_output*>(bind(wl_output_interface, kOutputVersion)), name));
        self->screens_.back()->Describe(self->xdgOutputs_);
    } else if (Is(interface, zxdg_output_manager_v1_interface)) {
        self->xdgOutputs_ = static_cast<zxdg_output_manager_v1*>(
            bind(zxdg_output_manager_v1_interface, kXdgOutputVersion));
        for (Screen* s : self->screens_)
            s->Describe(self->xdgOutputs_);
    } else if (Is(interface, wp_viewporter_interface)) {
        self->viewporter_ = static_cast<wp_viewporter*>(bind(wp_viewporter_interface, 1));
    } else if (Is(interface, zwlr_foreign_toplevel_manager_v1_interface)) {
        self->watch_->SetToplevels(static_cast<zwlr_foreign_toplevel_manager_v1*>(
            bind(zwlr_foreign_toplevel_manager_v1_interface, kToplevelsVersion)));
    } else if (Is(interface, ext_idle_notifier_v1_interface)) {
        self->idleNotifier_ =
            static_cast<ext_idle_notifier_v1*>(bind(ext_idle_notifier_v1_interface, 1));
    } else if (Is(interface, wl_seat_interface)) {
        self->input_->AddSeat(static_cast<wl_seat*>(bind(wl_seat_interface, kSeatVersion)));
    }
}

void Integration::GlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto* self = static_cast<Integration*>(data);
    auto it = std::find_if(self->screens_.begin(), self->screens_.end(),
                           [name](Screen* s) { return s->GlobalName() == name; });
    if (it == self->screens_.end()) return;
    Screen* s = *it;
    self->screens_.erase(it);
    if (s->Described())
        QWindowSystemInterface::handleScreenRemoved(s); // deletes it
    else
        delete s;
}

void Integration::OutputDescribed(Screen* screen) {
    // Before Qt is up, the screens are added in initialize().
    if (initialized_) QWindowSystemInterface::handleScreenAdded(screen);
}

void Integration::Renew(Screen* old) {
    auto* renewed = new Screen(*old);
    std::replace(screens_.begin(), screens_.end(), old, renewed);
    QWindowSystemInterface::handleScreenAdded(renewed, old->screen() == QGuiApplication::primaryScreen());
    QWindowSystemInterface::handleScreenRemoved(old);
}

void Integration::initialize() {
    initialized_ = true;
    for (Screen* s : screens_)
        if (s->Described()) QWindowSystemInterface::handleScreenAdded(s);
    // The compositor's events are read when its socket has them; what this
    // side queued goes out before the event loop sleeps.
    notifier_ = new QSocketNotifier(wl_display_get_fd(display_), QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, [this] { Dispatch(); });
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     [this] {
                         wl_display_dispatch_pending(display_);
                         Flush();
                     });
}

void Integration::Dispatch() {
    if (wl_display_dispatch(display_) < 0) {
        std::fprintf(stderr, "zelkora-desktop: the Wayland compositor went away\n");
        QCoreApplication::exit(1);
    }
}

void Integration::Flush() {
    wl_display_flush(display_);
}

Screen* Integration::ScreenOf(const QPlatformScreen* s) const {
    for (Screen* mine : screens_)
        if (mine == s) return mine;
    return screens_.empty() ? nullptr : screens_.front();
}

bool Integration::hasCapability(Capability cap) const {
    switch (cap) {
    case ThreadedPixmaps:
    case WindowManagement:
        return true;
    case OpenGL:
    case ThreadedOpenGL:
    case RhiBasedRendering:
        return Egl() != nullptr;
    default:
        return false;
    }
}

QPlatformWindow* Integration::createPlatformWindow(QWindow* window) const {
    return new Window(window);
}

QPlatformBackingStore* Integration::createPlatformBackingStore(QWindow* window) const {
    return new BackingStore(window);
}

void* Integration::Egl() const {
    if (!egl_) return nullptr;
    EGLDisplay display = egl_->Get();
    return display == EGL_NO_DISPLAY ? nullptr : display;
}

QPlatformOpenGLContext* Integration::createPlatformOpenGLContext(QOpenGLContext* context) const {
    if (!Egl()) return nullptr;
    return new GLContext(context->format(), context->shareHandle(), Egl());
}

QPlatformOffscreenSurface* Integration::createPlatformOffscreenSurface(QOffscreenSurface* surface) const {
    if (!Egl()) return nullptr;
    return new QEGLPbuffer(Egl(), surface->requestedFormat(), surface);
}

QAbstractEventDispatcher* Integration::createEventDispatcher() const {
    return createUnixEventDispatcher();
}

QPlatformFontDatabase* Integration::fontDatabase() const {
    if (!fonts_) const_cast<Integration*>(this)->fonts_ = std::make_unique<QGenericUnixFontDatabase>();
    return fonts_.get();
}

QPlatformNativeInterface* Integration::nativeInterface() const {
    if (!native_) const_cast<Integration*>(this)->native_ = std::make_unique<NativeInterface>();
    return native_.get();
}

QStringList Integration::themeNames() const {
    // The desktop shows pages, not a desktop environment's look.
    return {QString::fromLatin1(QGenericUnixTheme::name)};
}

QPlatformTheme* Integration::createPlatformTheme(const QString& name) const {
    return QGenericUnixTheme::createUnixTheme(name);
}

} // namespace host::wayland
