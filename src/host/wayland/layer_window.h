// A top-level window as a layer surface: the background layer of its output,
// anchored on all four edges, over no other surface's exclusive zone, keys
// only after a click (Sticky Notes). The compositor says its size. Frames
// are paced by the compositor's frame callbacks; a surface it stops drawing
// (covered by a full-screen window, the output off), or one the compositor
// says nobody sees, is not exposed, so the desktop rests there.
#pragma once

#include <QRegion>
#include <memory>
#include <qpa/qplatformwindow.h>

class QTimer;
struct wl_buffer;
struct wl_callback;
struct wl_output;
struct wp_viewport;
struct wl_surface;
struct zwlr_layer_surface_v1;

namespace host::wayland {

class GLWindowSurface;

class Window : public QPlatformWindow {
  public:
    explicit Window(QWindow* window);
    ~Window() override;

    void setVisible(bool visible) override;
    void setGeometry(const QRect& rect) override;
    WId winId() const override { return reinterpret_cast<WId>(surface_); }
    bool isExposed() const override { return exposed_; }
    qreal devicePixelRatio() const override { return scale_; }
    void requestUpdate() override;
    void raise() override {}
    void lower() override {}

    // The window of a surface, or null when it is none of this platform's.
    static Window* Of(wl_surface* surface);
    // What hides the desktop changed (a full-screen window, an idle session).
    static void ShellChanged();
    qreal Scale() const { return scale_; }
    // Shows a buffer: damage in the buffer's pixels.
    void Attach(wl_buffer* buffer, const QRegion& damage);
    // Readies the surface for a frame that is about to be committed (the
    // next frame asked for, the buffer's scale); false while the compositor
    // has not yet given the surface its size.
    bool BeginFrame();
    // The window's EGL surface (EGLSurface), made on first use for the
    // context's display and config.
    void* GLSurface(void* eglDisplay, void* eglConfig);

  private:
    static void Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial,
                          uint32_t width, uint32_t height);
    static void Closed(void* data, zwlr_layer_surface_v1* layer);
    static void FrameDone(void* data, wl_callback* callback, uint32_t time);
    void Map();
    void Unmap();
    void AskFrame();
    // Exposed while configured, drawn by the compositor, and not hidden.
    void Recompute();
    QSize Pixels() const;

    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    wl_callback* frame_ = nullptr;
    QTimer* unseen_ = nullptr; // a frame asked for and not drawn for a while
    QSize size_;               // as configured, logical
    qreal scale_ = 1; // device pixels a logical one
    wp_viewport* viewport_ = nullptr;
    wl_output* output_ = nullptr;
    std::unique_ptr<GLWindowSurface> gl_; // where the window draws with OpenGL
    bool configured_ = false;
    bool drawn_ = true; // the compositor draws what it is sent
    bool exposed_ = false;
    bool updateWanted_ = false; // an update request waits for the frame
};

} // namespace host::wayland
