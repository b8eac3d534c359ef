// Preview pictures rendered from the real pages, on the desktop's sandboxed
// profile, offscreen: a module page with nothing bound and fully opaque,
// scaled to a preview; a toy alone on a page that mounts it. Used by the
// installer for a package without a preview and by the demo's build.
#pragma once

#include <QSize>
#include <QString>
#include <memory>
#include <string>

namespace package {
struct Manifest;
}

namespace render {

// Needs a QApplication, and the browser switches and application scheme set
// up before it (Prepare).
class PreviewRenderer {
  public:
    // root: an application folder, served as the desktop serves it.
    explicit PreviewRenderer(const QString& root);
    ~PreviewRenderer();

    // A page of the folder (relative path), grabbed at view and scaled to picture.
    bool Page(const QString& page, const QString& output, QSize view = {960, 600},
              QSize picture = {240, 150});
    // A page of the folder by its address (the application scheme's), at the
    // size given, without its toyz (a still shows no clock stopped in time).
    bool Still(const QString& address, const QString& output, QSize size);
    // A toy of ZelToyz, by its folder name, whole with a margin, within picture.
    bool Toy(const QString& toy, const QString& output, QSize picture = {120, 90});

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// What must happen before the QApplication: the browser's switches (quiet),
// the application scheme, and, for a program that shows nothing, the
// offscreen platform unless one is chosen.
void Prepare(bool offscreen = true);

// Renders the preview of an item that is not installed yet: a throw-away
// application folder holds the installation's shared files (from appFolder,
// native) and the item at its place, with nothing bound and opaque.
bool RenderItemPreview(const std::string& appFolder, const std::string& itemFolder,
                       const package::Manifest& manifest, const std::string& output);

// Sets the application folder's binding and transparency files to nothing
// bound and opaque, as previews are made.
bool ClearBindings(const QString& root);

} // namespace render
