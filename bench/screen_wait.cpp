// Waits until one pixel of the X screen shows a colour, and prints the
// wall-clock time it first did ("painted SECONDS"), so that what reaches the
// screen is timed the same way whichever program drew it.
// Usage: screen_wait X Y RRGGBB [TIMEOUT_MS]   (exit 1 on time-out)
//        screen_wait X Y                        (prints the pixel's colour)
// A colour within 12 of each channel counts: pages are dithered and blended.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace {

bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int(a >> shift & 0xff) - int(b >> shift & 0xff)) > 12) return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    const uint32_t want = argc > 3 ? std::strtoul(argv[3], nullptr, 16) : 0;
    const auto limit = std::chrono::milliseconds(argc > 4 ? std::atoi(argv[4]) : 20000);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 2;
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        auto* r = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x, y, 1, 1, ~0u), nullptr);
        const bool read = r && xcb_get_image_data_length(r) >= 4;
        const uint32_t pixel =
            read ? *reinterpret_cast<const uint32_t*>(xcb_get_image_data(r)) & 0xffffff : 0;
        std::free(r);
        if (!read) return 2;
        if (argc == 3) {
            std::printf("%06x\n", pixel);
            return 0;
        }
        if (Near(pixel, want)) {
            timespec now;
            clock_gettime(CLOCK_REALTIME, &now);
            std::printf("painted %.3f\n", now.tv_sec + now.tv_nsec / 1e9);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 1;
}
