#include "ui/platform/WindowActivation.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstring>

#ifdef VX_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace vx {

bool askActivationAsUser(QWidget& window, unsigned long userTime) {
#ifdef VX_HAVE_XCB
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || !window.isVisible()) return false;
    xcb_connection_t* connection = x11->connection();
    static constexpr char kName[] = "_NET_ACTIVE_WINDOW";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof kName - 1, kName), nullptr);
    if (!atom) return false;
    const xcb_atom_t activeWindow = atom->atom;
    std::free(atom);
    if (activeWindow == XCB_ATOM_NONE) return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) return false;

    xcb_client_message_event_t request;
    std::memset(&request, 0, sizeof request);
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = static_cast<xcb_window_t>(window.winId());
    request.type = activeWindow;
    request.data.data32[0] = 2;  // the request comes from the user (a pager's source indication)
    request.data.data32[1] = static_cast<std::uint32_t>(userTime);
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(connection);
    return true;
#else
    (void)window;
    (void)userTime;
    return false;
#endif
}

}  // namespace vx
