#include "host/wayland/layer_backing_store.h"

#include "host/wayland/changed_pixels.h"
#include "host/wayland/layer_integration.h"
#include "host/wayland/layer_window.h"

#include <QPainter>
#include <QWindow>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace host::wayland {

// One buffer the compositor may read: its memory, shared through a file
// without a name, and what it misses of the canvas.
struct BackingStore::Buffer {
    wl_buffer* buffer = nullptr;
    uchar* memory = nullptr;
    size_t bytes = 0;
    QImage image;
    bool busy = false;  // the compositor has not released it
    QRegion missing;    // changed on the canvas since it was last filled

    Buffer(QSize size) {
        int stride = size.width() * 4;
        bytes = size_t(stride) * size.height();
        int fd = memfd_create("zelkora-desktop", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(bytes)) != 0) {
            if (fd >= 0) close(fd);
            return;
        }
        void* m = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (m == MAP_FAILED) {
            close(fd);
            return;
        }
        memory = static_cast<uchar*>(m);
        wl_shm_pool* pool = wl_shm_create_pool(Integration::Instance()->Shm(), fd, int32_t(bytes));
        buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride,
                                           WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        static const wl_buffer_listener kListener = {
            [](void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }};
        wl_buffer_add_listener(buffer, &kListener, this);
        image = QImage(memory, size.width(), size.height(), stride, QImage::Format_RGB32);
        missing = QRect(QPoint(), size);
    }
    ~Buffer() {
        if (buffer) wl_buffer_destroy(buffer);
        if (memory) munmap(memory, bytes);
    }
};

BackingStore::BackingStore(QWindow* window) : QPlatformBackingStore(window) {}

BackingStore::~BackingStore() = default;

void BackingStore::resize(const QSize& size, const QRegion&) {
    auto* w = static_cast<Window*>(window()->handle());
    qreal scale = w ? w->Scale() : 1;
    QSize pixels = (QSizeF(size) * scale).toSize();
    if (canvas_.size() == pixels && canvas_.devicePixelRatio() == scale) return;
    canvas_ = QImage(pixels, QImage::Format_RGB32);
    canvas_.setDevicePixelRatio(scale);
    canvas_.fill(Qt::black);
    parts_.clear(); // a buffer the compositor still reads stays valid on its side
}

BackingStore::Buffer* BackingStore::FreeBuffer(Part& part) {
    for (auto& b : part.buffers)
        if (!b->busy) return b.get();
    // Two are shown in turn; a third only while the compositor holds both.
    auto b = std::make_unique<Buffer>(part.pixels.size());
    if (!b->buffer) return nullptr;
    part.buffers.push_back(std::move(b));
    return part.buffers.back().get();
}

void BackingStore::flush(QWindow* window, const QRegion& region, const QPoint& offset) {
    auto* w = static_cast<Window*>(window->handle());
    if (!w || canvas_.isNull()) return;
    qreal scale = canvas_.devicePixelRatio();
    QRegion changed;
    for (const QRect& r : region.translated(offset)) // the pixels a logical rectangle touches
        changed += QRectF(QPointF(r.topLeft()) * scale, QSizeF(r.size()) * scale).toAlignedRect();
    changed &= QRect(QPoint(), canvas_.size());
    // The parts as the window lies now, within the canvas (one part is all
    // of it); laid anew, their buffers go, and each is shown whole.
    std::vector<QRect> rects = w->PartPixels();
    for (QRect& r : rects)
        r = rects.size() == 1 ? canvas_.rect() : r & canvas_.rect();
    bool same = rects.size() == parts_.size();
    for (size_t i = 0; same && i < rects.size(); ++i)
        same = parts_[i].pixels == rects[i];
    if (!same) {
        parts_.clear();
        for (const QRect& r : rects)
            parts_.push_back({r, {}});
    }
    for (size_t i = 0; i < parts_.size(); ++i) {
        Part& part = parts_[i];
        if (part.pixels.isEmpty()) continue;
        QRegion mine = (same ? changed & part.pixels : QRegion(part.pixels)).translated(-part.pixels.topLeft());
        if (part.shown) mine = ChangedPixels(canvas_, part.pixels.topLeft(), part.shown->image, mine);
        if (mine.isEmpty()) continue; // nothing the compositor shows has changed
        for (auto& b : part.buffers)
            b->missing += mine;
        Buffer* b = FreeBuffer(part);
        if (!b) continue;
        // What this buffer misses of its part of the canvas, copied row by row.
        const int left = part.pixels.left(), top = part.pixels.top();
        for (const QRect& r : b->missing) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::memcpy(b->image.scanLine(y) + r.left() * 4,
                            canvas_.constScanLine(top + y) + (left + r.left()) * 4, size_t(r.width()) * 4);
        }
        b->missing = QRegion();
        b->busy = true;
        part.shown = b;
        w->Attach(i, b->buffer, mine);
    }
}

} // namespace host::wayland
