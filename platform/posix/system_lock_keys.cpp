#include "platform/system_lock_keys.h"

namespace kalvor::platform {

std::optional<LockKeyState> SystemLockKeys() {
    return std::nullopt;
}

}  // namespace kalvor::platform
