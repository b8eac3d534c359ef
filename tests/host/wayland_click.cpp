// Clicks on a Wayland compositor as a pointer would (through wlroots'
// virtual pointer): the compositor's seat gets a pointer, which moves to a
// point of the layout and presses the left button there.
//   wayland_click X Y WIDTH HEIGHT   (the layout's size)
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

wl_seat* seat = nullptr;
zwlr_virtual_pointer_manager_v1* manager = nullptr;

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return std::fprintf(stderr, "wayland_click: no display\n"), 1;
    static const wl_registry_listener listener = {Global, GlobalRemove};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, nullptr);
    wl_display_roundtrip(display);
    if (!manager) return std::fprintf(stderr, "wayland_click: no virtual pointer\n"), 1;
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    auto x = uint32_t(std::atoi(argv[1])), y = uint32_t(std::atoi(argv[2]));
    auto w = uint32_t(std::atoi(argv[3])), h = uint32_t(std::atoi(argv[4]));
    wl_display_roundtrip(display); // the seat has a pointer now; clients bind it
    usleep(200 * 1000);
    zwlr_virtual_pointer_v1_motion_absolute(pointer, 0, x, y, w, h);
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
    usleep(100 * 1000);
    for (uint32_t state : {1u, 0u}) {
        zwlr_virtual_pointer_v1_button(pointer, 0, BTN_LEFT, state);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        usleep(50 * 1000);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
