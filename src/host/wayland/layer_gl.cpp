#include "host/wayland/layer_gl.h"

#include "host/wayland/layer_integration.h"
#include "host/wayland/layer_window.h"

#include <EGL/eglext.h>
#include <QOpenGLContext>
#include <QSurface>
#include <QtGui/private/qeglpbuffer_p.h>
#include <cstdio>
#include <wayland-egl.h>

namespace host::wayland {

EGLDisplay EglDisplay::Get() {
    if (tried_) return display_;
    tried_ = true;
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay display = getPlatformDisplay
                             ? getPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, wlDisplay_, nullptr)
                             : eglGetDisplay(static_cast<EGLNativeDisplayType>(wlDisplay_));
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        std::fprintf(stderr, "zelkora-desktop: no EGL on this Wayland display (EGL error %#x)\n",
                     eglGetError());
        return display_;
    }
    display_ = display;
    return display_;
}

GLWindowSurface::GLWindowSurface(EGLDisplay display, EGLConfig config, wl_surface* surface,
                                 QSize pixels)
    : display_(display), pixels_(pixels) {
    window_ = wl_egl_window_create(surface, pixels.width(), pixels.height());
    if (!window_) return;
    surface_ = eglCreateWindowSurface(display, config,
                                      reinterpret_cast<EGLNativeWindowType>(window_), nullptr);
    if (surface_ == EGL_NO_SURFACE)
        std::fprintf(stderr, "zelkora-desktop: no EGL surface for the desktop (EGL error %#x)\n",
                     eglGetError());
}

GLWindowSurface::~GLWindowSurface() {
    if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
    if (window_) wl_egl_window_destroy(window_);
}

void GLWindowSurface::Resize(QSize pixels) {
    if (pixels == pixels_ || !window_) return;
    pixels_ = pixels;
    wl_egl_window_resize(window_, pixels.width(), pixels.height(), 0, 0);
}

EGLSurface GLContext::eglSurfaceForPlatformSurface(QPlatformSurface* surface) {
    if (surface->surface()->surfaceClass() == QSurface::Window)
        return static_cast<Window*>(surface)->GLSurface(eglDisplay(), eglConfig());
    return static_cast<QEGLPbuffer*>(surface)->pbuffer();
}

void GLContext::swapBuffers(QPlatformSurface* surface) {
    if (surface->surface()->surfaceClass() != QSurface::Window) return;
    auto* window = static_cast<Window*>(surface);
    // A buffer before the compositor sized the surface breaks the protocol.
    if (!window->BeginFrame()) return;
    eglSwapInterval(eglDisplay(), 0);
    QEGLPlatformContext::swapBuffers(surface);
}

void* NativeInterface::nativeResourceForIntegration(const QByteArray& resource) {
    Integration* in = Integration::Instance();
    if (resource == "egldisplay") return in->Egl();
    if (resource == "wl_display" || resource == "nativedisplay") return in->Display();
    return nullptr;
}

void* NativeInterface::nativeResourceForContext(const QByteArray& resource,
                                                QOpenGLContext* context) {
    auto* gl = context ? static_cast<QEGLPlatformContext*>(context->handle()) : nullptr;
    if (!gl) return nullptr;
    if (resource == "eglconfig") return gl->eglConfig();
    if (resource == "eglcontext") return gl->eglContext();
    if (resource == "egldisplay") return gl->eglDisplay();
    return nullptr;
}

} // namespace host::wayland
