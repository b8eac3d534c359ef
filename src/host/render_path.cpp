#include "host/render_path.h"

#include "host/page_budget.h"
#include "sandbox/profiles.h"

#include <QCoreApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// Set by ChooseRenderPath: whether pages get WebGL, and the browser's
// switches as the environment gave them.
bool drawsWebGL = false, gpuPath = false, webglAsked = false;
std::optional<std::string> flagsBefore;

bool GpuAsked() {
    std::string v = Env("ZELKORA_GPU");
    return v == "1" || v == "force";
}

} // namespace

bool OpenGLWanted(bool webgl) {
    return GpuAsked() || webgl;
}

void ChooseRenderPathEarly(bool webgl) {
    // The user's own choice of Qt Quick backend stands.
    if (GpuAsked() || webgl || !Env("QT_QUICK_BACKEND").empty() || !Env("QSG_RHI_BACKEND").empty())
        return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

void ChooseRenderPath(bool webgl, int renderers) {
    bool gpu = false;
    QString why;
    QString renderer = OpenGLWanted(webgl) ? OpenGLRenderer() : QString();
    if (!GpuAsked()) {
        why = "the software renderer (the GPU is used when ZELKORA_GPU=1)";
    } else {
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
    }
    // A renderer serves each page shown, and the next page in its turn, so
    // that an applied module does not wait for a new process (each module is
    // an origin of its own): it halves the time from apply to paint. Pages
    // of other modules on other displays run apart, each held to its budget.
    std::vector<std::string> switches = {"--renderer-process-limit=" +
                                         std::to_string(std::max(1, renderers))};
    gpuPath = drawsWebGL = gpu;
    webglAsked = webgl;
    if (webgl && !gpu) {
        if (renderer.isEmpty()) {
            why += "; the page asks for WebGL, and there is no OpenGL to give it";
        } else {
            // The browser refuses a software OpenGL unless told; only WebGL
            // goes through it, the page is composited in software as ever.
            switches.insert(switches.end(), {"--ignore-gpu-blocklist", "--disable-gpu-compositing"});
            drawsWebGL = true;
            why += ", and WebGL through OpenGL (" + renderer + ") for the page that asks for it";
        }
    }
    if (!gpu && !drawsWebGL) QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (const char* f = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS")) flagsBefore = f;
    sandbox::SetBrowserSwitches(gpu || drawsWebGL, switches);
    std::fprintf(stderr, "zelkora-desktop: drawing with %s\n", why.toLocal8Bit().constData());
}

bool PathSuits(bool webgl) {
    return gpuPath || (webgl ? drawsWebGL || webglAsked : !drawsWebGL);
}

void DrawAnew() {
    // The browser's switches as they were before this path added its own.
    if (flagsBefore)
        ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", flagsBefore->c_str(), 1);
    else
        ::unsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    std::vector<std::string> args;
    for (const QString& a : QCoreApplication::arguments())
        args.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    // The browser's processes would outlive the image they served; every
    // descriptor of ours closes on exec (the host's lock among them).
    ProcessTree below = ProcessesBelow(::getpid());
    for (const auto& [pid, depth] : below)
        ::kill(pid, SIGKILL);
    for (const auto& [pid, depth] : below) // ours to reap; the rest go to init
        if (depth == 1) ::waitpid(pid, nullptr, 0);
    ::execv("/proc/self/exe", argv.data());
    std::fprintf(stderr, "zelkora-desktop: cannot start anew: %s\n", std::strerror(errno));
    std::_Exit(1);
}

} // namespace host
