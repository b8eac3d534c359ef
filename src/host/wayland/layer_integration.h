// A Qt platform of the desktop's own for Wayland compositors that offer
// layer-shell (sway, Hyprland, KWin): every top-level window is a surface of
// the background layer on its output, below every window, drawn from shared
// memory. Qt 6.4 has no layer-shell of its own, and Debian ships no private
// headers of Qt's Wayland plugin, so the host brings this small one.
// Nothing above src/host/ learns which platform runs.
#pragma once

#include <QRect>
#include <QString>
#include <memory>
#include <qpa/qplatformintegration.h>
#include <qpa/qplatformscreen.h>
#include <vector>

struct ext_idle_notifier_v1;
struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_shm;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

class QSocketNotifier;

namespace host::wayland {

class EglDisplay;
class Input;
class Watch;

// The platform's name, for QT_QPA_PLATFORM.
inline constexpr char kPlatformName[] = "zelkora-layer";

// What the Wayland display of $WAYLAND_DISPLAY offers, waiting up to the
// time given for it to answer (a host started with the session may come
// before the compositor takes connections).
enum class Compositor { Absent, LayerShell, NoLayerShell };
Compositor ProbeCompositor(int milliseconds);
// Whether windows may draw with OpenGL (through EGL): said before the
// application object is made; without it the platform offers none.
void OfferOpenGL(bool offer);
// The size of the largest output of $WAYLAND_DISPLAY, in pixels (empty when
// it cannot be asked).
QSize LargestOutput();

// An output, as wl_output and xdg-output describe it: its place and size in
// the compositor's logical space, and its scale, fractional where the
// logical size says so (1920 pixels shown as 1280 is 1.5).
class Screen : public QPlatformScreen {
  public:
    Screen(wl_output* output, uint32_t globalName);
    ~Screen() override;
    QRect geometry() const override { return d_.geometry; }
    int depth() const override { return 32; }
    QImage::Format format() const override { return QImage::Format_RGB32; }
    qreal devicePixelRatio() const override { return d_.ratio; }
    QSizeF physicalSize() const override { return d_.physical; }
    QDpi logicalDpi() const override { return {96, 96}; }
    QString name() const override { return d_.name; }
    QPlatformCursor* cursor() const override;
    wl_output* Output() const { return output_; }
    uint32_t GlobalName() const { return globalName_; }
    // Asks xdg-output for the logical place and size.
    void Describe(zxdg_output_manager_v1* manager);
    bool Described() const { return described_; }

  private:
    friend struct OutputEvents;
    friend class Integration;
    // Takes over the output of a screen whose scale changed.
    explicit Screen(Screen& from);
    void Update();
    wl_output* output_;
    zxdg_output_v1* xdgOutput_ = nullptr;
    uint32_t globalName_;
    // What the output says of itself, and what follows from it: a screen
    // that takes the output over takes all of it.
    struct Description {
        QPoint position;
        QSize modeSize; // device pixels
        QSizeF physical;
        int scale = 1;          // wl_output's whole number
        QPoint logicalPosition; // xdg-output's, where it is offered
        QSize logicalSize;
        QString name;
        QRect geometry;
        qreal ratio = 1;
    } d_;
    bool described_ = false; // the first "done" came
};

class Integration : public QPlatformIntegration {
  public:
    Integration();
    ~Integration() override;
    static Integration* Instance();

    void initialize() override;
    bool hasCapability(Capability cap) const override;
    QPlatformWindow* createPlatformWindow(QWindow* window) const override;
    QPlatformBackingStore* createPlatformBackingStore(QWindow* window) const override;
    // Null unless OpenGL was offered and EGL serves the display: the host
    // then draws in software, as ever.
    QPlatformOpenGLContext* createPlatformOpenGLContext(QOpenGLContext* context) const override;
    QPlatformOffscreenSurface* createPlatformOffscreenSurface(QOffscreenSurface* surface) const override;
    QAbstractEventDispatcher* createEventDispatcher() const override;
    QPlatformFontDatabase* fontDatabase() const override;
    QPlatformNativeInterface* nativeInterface() const override;
    QStringList themeNames() const override;
    QPlatformTheme* createPlatformTheme(const QString& name) const override;

    wl_display* Display() const { return display_; }
    // The EGL display (EGLDisplay) of the connection, null where there is none.
    void* Egl() const;
    wl_compositor* Compositor() const { return compositor_; }
    wl_shm* Shm() const { return shm_; }
    zwlr_layer_shell_v1* LayerShell() const { return layerShell_; }
    uint32_t LayerShellVersion() const { return layerShellVersion_; }
    // Null where the compositor offers no viewport: buffers are then at a
    // whole scale, which the compositor scales down.
    wp_viewporter* Viewporter() const { return viewporter_; }
    Screen* ScreenOf(const QPlatformScreen* s) const;
    const Watch& Watcher() const { return *watch_; }
    QPlatformCursor* CursorOfScreens() const { return cursor_.get(); }
    // Sends what is queued to the compositor.
    void Flush();

  private:
    static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version);
    static void GlobalRemove(void* data, wl_registry* registry, uint32_t name);
    void Dispatch();
    friend class Screen;
    void OutputDescribed(Screen* screen);
    // Qt 6.4 tells a window of a new pixel ratio only when it moves to a new
    // screen: one takes over the output, and the old one goes (deleted).
    void Renew(Screen* old);

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    uint32_t layerShellVersion_ = 0;
    wp_viewporter* viewporter_ = nullptr;
    zxdg_output_manager_v1* xdgOutputs_ = nullptr;
    std::vector<Screen*> screens_; // owned by QWindowSystemInterface once added
    std::unique_ptr<Input> input_;
    std::unique_ptr<Watch> watch_;
    std::unique_ptr<QPlatformCursor> cursor_;
    ext_idle_notifier_v1* idleNotifier_ = nullptr;
    std::unique_ptr<QPlatformFontDatabase> fonts_;
    std::unique_ptr<QPlatformNativeInterface> native_;
    std::unique_ptr<EglDisplay> egl_; // made when OpenGL was offered
    QSocketNotifier* notifier_ = nullptr;
    bool initialized_ = false;
};

} // namespace host::wayland
