// OpenGL on the layer surfaces, through EGL on the compositor's own
// connection: Mesa's software rasteriser hands the compositor shared memory,
// a GPU hands it its own buffers. Only a host that draws a page's WebGL (or
// was asked for the GPU) makes a context at all; every other one stays on
// the shared-memory path, which costs no GL threads.
#pragma once

#include <QtGui/private/qeglplatformcontext_p.h>
#include <qpa/qplatformnativeinterface.h>

struct wl_egl_window;
struct wl_surface;

namespace host::wayland {

// The EGL display of a Wayland connection, initialised on first use. It is
// never terminated: the browser's GPU thread may use it until the process ends.
class EglDisplay {
  public:
    explicit EglDisplay(void* wlDisplay) : wlDisplay_(wlDisplay) {}
    // EGL_NO_DISPLAY when EGL cannot serve this connection.
    EGLDisplay Get();

  private:
    void* wlDisplay_;
    EGLDisplay display_ = EGL_NO_DISPLAY;
    bool tried_ = false;
};

// A window's EGL surface, at the window's size in device pixels.
class GLWindowSurface {
  public:
    GLWindowSurface(EGLDisplay display, EGLConfig config, wl_surface* surface, QSize pixels);
    ~GLWindowSurface();
    EGLSurface Surface() const { return surface_; }
    void Resize(QSize pixels);

  private:
    EGLDisplay display_;
    wl_egl_window* window_ = nullptr;
    EGLSurface surface_ = EGL_NO_SURFACE;
    QSize pixels_;
};

// A context whose window surfaces are layer surfaces. Frames are never
// waited for in the swap (a surface the compositor hides gets none): the
// window asks for the next one itself, as the shared-memory path does.
class GLContext : public QEGLPlatformContext {
  public:
    using QEGLPlatformContext::QEGLPlatformContext;
    void swapBuffers(QPlatformSurface* surface) override;

  protected:
    EGLSurface eglSurfaceForPlatformSurface(QPlatformSurface* surface) override;
};

// What the browser engine asks the platform for to share its OpenGL with
// the window's: the EGL display and the shared context's config.
class NativeInterface : public QPlatformNativeInterface {
  public:
    void* nativeResourceForIntegration(const QByteArray& resource) override;
    void* nativeResourceForContext(const QByteArray& resource, QOpenGLContext* context) override;
};

} // namespace host::wayland
