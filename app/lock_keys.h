#pragma once

#include <functional>

#include "platform/system_lock_keys.h"

namespace kalvor::app {

using platform::LockKeyState;

using LockKeyQuery = std::function<LockKeyState()>;

// The keyboard's lock states as the window system keeps them. On X11 these are the keyboard
// LEDs of the core protocol (LED 1 Caps Lock, 2 Num Lock, 3 Scroll Lock, the standard keyboard
// map); on Windows the toggle states of the three keys. Where neither is available (Wayland,
// the offscreen platform) all three read off: Qt offers no portable query, and guessing from
// key presses would show a wrong state whenever the program starts with a lock on.
LockKeyState QueryLockKeys();

}  // namespace kalvor::app
