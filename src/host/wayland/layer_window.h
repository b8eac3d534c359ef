// A top-level window as layer surfaces: the background layer of an output,
// anchored on all four edges, over no other surface's exclusive zone, keys
// only after a click (Sticky Notes). The compositor says its size. A window
// laid over several outputs (one page across all displays) is a layer
// surface on each, each showing its own part of the window.
// Frames are paced by the compositor's frame callbacks; a surface it stops
// drawing (covered by a full-screen window, the output off), or one the
// compositor says nobody sees, is not exposed, so the desktop rests there.
#pragma once

#include <QRect>
#include <QRegion>
#include <memory>
#include <qpa/qplatformwindow.h>
#include <vector>

class QTimer;
struct wl_buffer;
struct wl_callback;
struct wl_output;
struct wp_viewport;
struct wl_surface;
struct zwlr_layer_surface_v1;

namespace host::wayland {

class GLWindowSurface;
class Screen;

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

    // The window of a surface, or null when it is none of this platform's;
    // where that surface's part lies in the window (logical), when asked.
    static Window* Of(wl_surface* surface, QPoint* offset = nullptr);
    // What hides the desktop changed (a full-screen window, an idle session).
    static void ShellChanged();
    qreal Scale() const { return scale_; }
    // Where each part lies in the window's pixels: the whole window for one
    // within its output.
    std::vector<QRect> PartPixels() const;
    // Shows a part's buffer (of its size in PartPixels): damage in its pixels.
    void Attach(size_t part, wl_buffer* buffer, const QRegion& damage);
    // Readies the surface for a frame that is about to be committed (the
    // next frame asked for, the buffer's scale); false while the compositor
    // has not yet given the surface its size.
    bool BeginFrame();
    // The window's EGL surface (EGLSurface), made on first use for the
    // context's display and config. It is the first output's part only.
    void* GLSurface(void* eglDisplay, void* eglConfig);

    // The window on one output: its layer surface and its frames.
    struct Part;

  private:
    static void Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial,
                          uint32_t width, uint32_t height);
    static void Closed(void* data, zwlr_layer_surface_v1* layer);
    static void FrameDone(void* data, wl_callback* callback, uint32_t time);
    void Map();
    void Unmap();
    // The outputs the window lies over: several for a window laid across
    // them, else the window's own.
    std::vector<Screen*> OutputsUnder() const;
    bool Configured() const;
    // Readies a part for a frame about to be committed: the next frame asked
    // for, the buffer's scale or the viewport's size.
    void Ready(Part& part);
    // Exposed while configured, and some part drawn by the compositor and not hidden.
    void Recompute();
    QSize Pixels() const;

    wl_surface* surface_ = nullptr; // the first part's, kept while the window is
    std::vector<std::unique_ptr<Part>> parts_;
    QSize size_;      // as configured, logical
    qreal scale_ = 1; // device pixels a logical one
    wp_viewport* viewport_ = nullptr; // the first surface's
    std::unique_ptr<GLWindowSurface> gl_; // where the window draws with OpenGL
    bool exposed_ = false;
    bool updateWanted_ = false; // an update request waits for the frame
};

} // namespace host::wayland
