#pragma once

#include <optional>

namespace kalvor::platform {

struct LockKeyState {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

// The lock keys' toggle states where the system itself keeps them (Windows); nothing where only
// the window system knows them (POSIX: X11's keyboard LEDs, or nothing at all on Wayland).
std::optional<LockKeyState> SystemLockKeys();

}  // namespace kalvor::platform
