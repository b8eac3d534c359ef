// X11: the window manager's client list (or, without one, the root's
// children), each client's state and place.
#include "host/fullscreen.h"

#include <QGuiApplication>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <QRegion>
#include <xcb/dpms.h>
#include <xcb/screensaver.h>
#include <xcb/xcb.h>

namespace host {

namespace {

// Atoms are the X server's for as long as it runs: each is asked for once.
xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    static std::map<std::string, xcb_atom_t, std::less<>> known;
    if (auto it = known.find(std::string_view(name)); it != known.end()) return it->second;
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<uint16_t>(strlen(name)), name),
                              nullptr);
    xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    // A name the server has not heard of yet is asked for again next time.
    if (a != XCB_ATOM_NONE) known.emplace(name, a);
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

bool Hidden(xcb_get_property_reply_t* r, xcb_atom_t hidden) {
    bool h = false;
    if (r && r->format == 32) {
        auto* a = static_cast<xcb_atom_t*>(xcb_get_property_value(r));
        for (int i = 0; i < xcb_get_property_value_length(r) / 4; ++i)
            h = h || a[i] == hidden;
    }
    return h;
}

xcb_connection_t* Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
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

QRegion OtherWindows(const QSet<quintptr>& ours) {
    xcb_connection_t* c = Connection();
    if (!c) return {};
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_atom_t state = Atom(c, "_NET_WM_STATE"), hidden = Atom(c, "_NET_WM_STATE_HIDDEN");
    // Every question about every window is sent before the first answer is
    // read: one round trip to the X server, not four a window, each second.
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t state;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t place;
    };
    std::vector<Asked> asked;
    for (xcb_window_t w : WindowList(c, root, Atom(c, "_NET_CLIENT_LIST_STACKING"))) {
        if (ours.contains(w)) continue;
        xcb_get_property_cookie_t st{};
        if (state != XCB_ATOM_NONE) st = xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 64);
        asked.push_back({xcb_get_window_attributes(c, w), st, xcb_get_geometry(c, w),
                         xcb_translate_coordinates(c, w, root, 0, 0)});
    }
    QRegion under;
    for (const Asked& a : asked) {
        auto* attr = xcb_get_window_attributes_reply(c, a.attributes, nullptr);
        auto* st = state != XCB_ATOM_NONE ? xcb_get_property_reply(c, a.state, nullptr) : nullptr;
        auto* g = xcb_get_geometry_reply(c, a.geometry, nullptr);
        auto* t = xcb_translate_coordinates_reply(c, a.place, nullptr);
        bool shown = attr && attr->map_state == XCB_MAP_STATE_VIEWABLE && !Hidden(st, hidden) && g;
        if (shown) {
            int border = g->border_width;
            QRect place((t ? t->dst_x : g->x) - border, (t ? t->dst_y : g->y) - border,
                        g->width + 2 * border, g->height + 2 * border);
            under += place;
        }
        std::free(attr);
        std::free(st);
        std::free(g);
        std::free(t);
    }
    return under;
}

bool Covers(const QRegion& windows, const QRect& screen) {
    // Covered when all but a sliver of the screen is under the windows
    // together (a maximised window and a panel, say).
    int64_t area = 0;
    for (const QRect& r : windows.intersected(screen))
        area += int64_t(r.width()) * r.height();
    return area * 100 >= int64_t(screen.width()) * screen.height() * 98;
}

bool DisplayAsleep() {
    xcb_connection_t* c = Connection();
    if (!c) return false;
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Both asked at once (one round trip); the extensions' presence is known
    // to xcb after the first time.
    bool saver = xcb_get_extension_data(c, &xcb_screensaver_id)->present;
    bool dpms = xcb_get_extension_data(c, &xcb_dpms_id)->present;
    xcb_screensaver_query_info_cookie_t saverAsked{};
    xcb_dpms_info_cookie_t dpmsAsked{};
    if (saver) saverAsked = xcb_screensaver_query_info(c, root);
    if (dpms) dpmsAsked = xcb_dpms_info(c);
    bool asleep = false;
    if (saver) {
        auto* r = xcb_screensaver_query_info_reply(c, saverAsked, nullptr);
        asleep = r && r->state == XCB_SCREENSAVER_STATE_ON;
        std::free(r);
    }
    if (dpms) {
        auto* r = xcb_dpms_info_reply(c, dpmsAsked, nullptr);
        asleep = asleep || (r && r->state && r->power_level != XCB_DPMS_DPMS_MODE_ON);
        std::free(r);
    }
    return asleep;
}

namespace {

void SetDesktopType(xcb_connection_t* c, xcb_window_t window) {
    xcb_atom_t type = Atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, Atom(c, "_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &type);
}

void SetDesktopProperties(xcb_connection_t* c, xcb_window_t window) {
    SetDesktopType(c, window);
    // Maximised as well: see KeepDesktopStates.
    xcb_atom_t states[] = {Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), Atom(c, "_NET_WM_STATE_SKIP_PAGER"),
                           Atom(c, "_NET_WM_STATE_BELOW"), Atom(c, "_NET_WM_STATE_MAXIMIZED_VERT"),
                           Atom(c, "_NET_WM_STATE_MAXIMIZED_HORZ")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, Atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM,
                        32, 5, states);
    xcb_flush(c);
}

} // namespace

void MakeDesktopWindow(quintptr window) {
    if (xcb_connection_t* c = Connection()) SetDesktopProperties(c, static_cast<xcb_window_t>(window));
}

void KeepDesktopStates(quintptr window) {
    xcb_connection_t* c = Connection();
    if (!c) return;
    auto w = static_cast<xcb_window_t>(window);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* wm = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, Atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    bool managed = wm && xcb_get_property_value_length(wm) > 0;
    std::free(wm);
    if (!managed) {
        // No window manager: the window's properties are its own to set.
        SetDesktopProperties(c, w);
        return;
    }
    // Qt gives a frameless window a type of its own when it shows it: the
    // desktop's type again. The window manager owns a shown window's states:
    // it is asked to add them (_NET_WM_STATE_ADD, from an application); the
    // maximised states keep a focused desktop from counting as an old-style
    // full-screen window, which some window managers lift above all others.
    SetDesktopType(c, w);
    const std::pair<const char*, const char*> pairs[] = {
        {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"},
        {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"}};
    for (auto [first, second] : pairs) {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = Atom(c, "_NET_WM_STATE");
        e.data.data32[0] = 1;
        e.data.data32[1] = Atom(c, first);
        e.data.data32[2] = Atom(c, second);
        e.data.data32[3] = 1;
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&e));
    }
    xcb_flush(c);
}

} // namespace host
