#include "app/lock_keys.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#elif defined(KALVOR_HAVE_XCB)
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#endif

namespace kalvor::app {

#ifdef Q_OS_WIN

LockKeyState QueryLockKeys() {
    return {.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0,
            .numLock = (GetKeyState(VK_NUMLOCK) & 1) != 0,
            .scrollLock = (GetKeyState(VK_SCROLL) & 1) != 0};
}

#elif defined(KALVOR_HAVE_XCB)

LockKeyState QueryLockKeys() {
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
}

#else

LockKeyState QueryLockKeys() {
    return {};
}

#endif

}  // namespace kalvor::app
