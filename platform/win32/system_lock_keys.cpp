#include "platform/system_lock_keys.h"

#include <windows.h>

namespace kalvor::platform {

std::optional<LockKeyState> SystemLockKeys() {
    return LockKeyState{.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0,
                        .numLock = (GetKeyState(VK_NUMLOCK) & 1) != 0,
                        .scrollLock = (GetKeyState(VK_SCROLL) & 1) != 0};
}

}  // namespace kalvor::platform
