#include "heldkeys.h"

#include <QGuiApplication>

#ifdef K5_HAVE_XCB_XKB
// The header names a member "explicit", a C++ keyword.
#define explicit explicit_member
#include <xcb/xkb.h>
#undef explicit
#endif

void ReportHeldKeysReleasedOnce()
{
#ifdef K5_HAVE_XCB_XKB
    // The offscreen platform may offer the X11 interface too, without a connection.
    if (QGuiApplication::platformName() != u"xcb")
        return;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    // XKB's "detectable auto-repeat", for this client only; Qt has already enabled the extension.
    constexpr uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    const xcb_xkb_per_client_flags_cookie_t cookie =
        xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0);
    xcb_discard_reply(connection, cookie.sequence);
    xcb_flush(connection);
#endif
}
