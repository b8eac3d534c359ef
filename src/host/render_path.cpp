#include "host/render_path.h"

#include "sandbox/profiles.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace host {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// "" when no OpenGL context could be made.
QString OpenGLRenderer() {
    QOpenGLContext context;
    if (!context.create()) return {};
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface)) return {};
    auto* text = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    QString renderer = text ? QString::fromLatin1(text) : QString();
    context.doneCurrent();
    return renderer;
}

bool GpuAsked() {
    std::string v = Env("ZELKORA_GPU");
    return v == "1" || v == "force";
}

} // namespace

void ChooseRenderPathEarly() {
    // The user's own choice of Qt Quick backend stands.
    if (GpuAsked() || !Env("QT_QUICK_BACKEND").empty() || !Env("QSG_RHI_BACKEND").empty()) return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

bool ChooseRenderPath() {
    bool gpu = false;
    QString why;
    if (!GpuAsked()) {
        why = "the software renderer (the GPU is used when ZELKORA_GPU=1)";
    } else {
        QString renderer = OpenGLRenderer();
        QString lower = renderer.toLower();
        bool software = lower.contains("llvmpipe") || lower.contains("softpipe") ||
                        lower.contains("swrast") || lower.contains("software");
        if (renderer.isEmpty()) {
            why = "the software renderer: the GPU was asked for, but there is no OpenGL";
        } else if (software && Env("ZELKORA_GPU") != "force") {
            why = "the software renderer: the GPU was asked for, but OpenGL is " + renderer +
                  ", itself software";
        } else {
            gpu = true;
            why = "the GPU (OpenGL: " + renderer + ")";
        }
        if (!gpu) QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    // The desktop shows one page at a time: one renderer serves each page in
    // turn, so an applied module does not wait for a new process (each
    // module is an origin of its own). It halves the time from apply to paint.
    sandbox::SetBrowserSwitches(gpu, {"--renderer-process-limit=1"});
    std::fprintf(stderr, "zelkora-desktop: drawing with %s\n", why.toLocal8Bit().constData());
    return gpu;
}

} // namespace host
