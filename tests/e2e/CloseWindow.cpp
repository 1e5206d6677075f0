// close_window WINDOW_ID: asks an X11 window to close, as a window manager's close button does
// (a WM_DELETE_WINDOW message), for the end-to-end scripts, whose X server runs no window manager.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: close_window WINDOW_ID\n");
        return 2;
    }
    const xcb_window_t window = xcb_window_t(std::strtoul(argv[1], nullptr, 0));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "close_window: cannot open the display\n");
        return 1;
    }
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(c, "WM_PROTOCOLS");
    event.data.data32[0] = atom(c, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_void_cookie_t sent =
        xcb_send_event_checked(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_generic_error_t* error = xcb_request_check(c, sent);
    xcb_disconnect(c);
    if (error) {
        std::fprintf(stderr, "close_window: no window %s\n", argv[1]);
        std::free(error);
        return 1;
    }
    return 0;
}
