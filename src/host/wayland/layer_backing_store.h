// A window's pixels in shared memory: Qt paints into a canvas of the
// window's own; a flush copies what changed into a buffer the compositor is
// not reading (with what that buffer missed since it was last shown), and
// sends the compositor only the changed rectangles: those where the canvas
// differs from the buffer shown last, not all that Qt repainted. A window
// across several outputs has buffers for each output's part, filled from the
// one canvas.
#pragma once

#include <QImage>
#include <QRegion>
#include <memory>
#include <qpa/qplatformbackingstore.h>
#include <vector>

struct wl_buffer;

namespace host::wayland {

class BackingStore : public QPlatformBackingStore {
  public:
    explicit BackingStore(QWindow* window);
    ~BackingStore() override;
    QPaintDevice* paintDevice() override { return &canvas_; }
    void resize(const QSize& size, const QRegion& staticContents) override;
    void flush(QWindow* window, const QRegion& region, const QPoint& offset) override;
    QImage toImage() const override { return canvas_; }

  private:
    struct Buffer;
    // The buffers of one part: where it lies on the canvas, and those made for it.
    struct Part {
        QRect pixels;
        std::vector<std::unique_ptr<Buffer>> buffers;
        Buffer* shown = nullptr; // the last given to the compositor: the canvas as it was
    };
    Buffer* FreeBuffer(Part& part);

    QImage canvas_; // device pixels, with the window's scale as its ratio
    std::vector<Part> parts_;
};

} // namespace host::wayland
