#include "platform/ui/Compositing.h"

#include <QGuiApplication>

#if DUSTLET_HAS_XCB
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>
#endif

namespace Compositing {

bool translucentWindowsWork()
{
#if DUSTLET_HAS_XCB
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
        if (!connection)
            return false;
        // A compositing manager owns the selection _NET_WM_CM_S<screen>.
        static const char name[] = "_NET_WM_CM_S0";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
        if (!atom)
            return false;
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        const bool composited = owner && owner->owner != XCB_NONE;
        std::free(owner);
        std::free(atom);
        return composited;
    }
#endif
    return true;
}

} // namespace Compositing
