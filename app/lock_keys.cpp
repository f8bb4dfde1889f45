#include "app/lock_keys.h"

// Whether Qt runs on X11 is a choice of the build (the xcb library found), not of the system.
#ifdef KALVOR_HAVE_XCB
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#endif

namespace kalvor::app {

namespace {

// The keyboard LEDs of the X server Qt talks to; all off when Qt runs on no X server.
LockKeyState WindowSystemLockKeys() {
#ifdef KALVOR_HAVE_XCB
    const auto* x11 = qGuiApp == nullptr
                          ? nullptr
                          : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return {};
    }
    xcb_connection_t* connection = x11->connection();
    const std::unique_ptr<xcb_get_keyboard_control_reply_t, decltype(&std::free)> reply(
        xcb_get_keyboard_control_reply(connection, xcb_get_keyboard_control(connection), nullptr),
        &std::free);
    if (!reply) {
        return {};
    }
    return {.capsLock = (reply->led_mask & 0x1U) != 0,
            .numLock = (reply->led_mask & 0x2U) != 0,
            .scrollLock = (reply->led_mask & 0x4U) != 0};
#else
    return {};
#endif
}

}  // namespace

LockKeyState QueryLockKeys() {
    if (const auto keys = platform::SystemLockKeys()) {
        return *keys;
    }
    return WindowSystemLockKeys();
}

}  // namespace kalvor::app
