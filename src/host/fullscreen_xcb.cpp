// X11: the window manager's client list (or, without one, the root's
// children), each client's state and place.
#include "host/fullscreen.h"

#include <QGuiApplication>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace host {

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<uint16_t>(strlen(name)), name),
                              nullptr);
    xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

std::vector<xcb_window_t> WindowList(xcb_connection_t* c, xcb_window_t root, xcb_atom_t list) {
    std::vector<xcb_window_t> out;
    if (list != XCB_ATOM_NONE) {
        auto* r = xcb_get_property_reply(
            c, xcb_get_property(c, 0, root, list, XCB_ATOM_WINDOW, 0, 4096), nullptr);
        if (r && r->format == 32) {
            auto* w = static_cast<xcb_window_t*>(xcb_get_property_value(r));
            out.assign(w, w + xcb_get_property_value_length(r) / 4);
        }
        std::free(r);
        if (!out.empty()) return out;
    }
    // No window manager: the root's own children.
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (tree) {
        xcb_window_t* w = xcb_query_tree_children(tree);
        out.assign(w, w + xcb_query_tree_children_length(tree));
        std::free(tree);
    }
    return out;
}

bool Hidden(xcb_connection_t* c, xcb_window_t w, xcb_atom_t state, xcb_atom_t hidden) {
    if (state == XCB_ATOM_NONE) return false;
    auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 64),
                                     nullptr);
    bool h = false;
    if (r && r->format == 32) {
        auto* a = static_cast<xcb_atom_t*>(xcb_get_property_value(r));
        for (int i = 0; i < xcb_get_property_value_length(r) / 4; ++i)
            h = h || a[i] == hidden;
    }
    std::free(r);
    return h;
}

} // namespace

bool WaitForDisplay(int milliseconds) {
    for (int waited = 0;; waited += 100) {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        bool ok = !xcb_connection_has_error(c);
        xcb_disconnect(c);
        if (ok) return true;
        if (waited >= milliseconds) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

bool CoveredByAnotherWindow(const QRect& screen, const QSet<quintptr>& ours) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return false;
    xcb_connection_t* c = x11->connection();
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_atom_t state = Atom(c, "_NET_WM_STATE"), hidden = Atom(c, "_NET_WM_STATE_HIDDEN");
    for (xcb_window_t w : WindowList(c, root, Atom(c, "_NET_CLIENT_LIST_STACKING"))) {
        if (ours.contains(w)) continue;
        auto* attr = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
        bool viewable = attr && attr->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attr);
        if (!viewable || Hidden(c, w, state, hidden)) continue;
        auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
        if (!g) continue;
        auto* t = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0),
                                                  nullptr);
        int border = g->border_width;
        QRect place((t ? t->dst_x : g->x) - border, (t ? t->dst_y : g->y) - border,
                    g->width + 2 * border, g->height + 2 * border);
        std::free(t);
        std::free(g);
        // Covered when all but a sliver of the screen is under the window.
        QRect under = place.intersected(screen);
        if (int64_t(under.width()) * under.height() * 100 >=
            int64_t(screen.width()) * screen.height() * 98)
            return true;
    }
    return false;
}

} // namespace host
