#pragma once

namespace kalvor::platform {

// Documents a search examines beyond those it may hold for itself alone, as the user chose:
// reading them is enough to find a marking, though they cannot be held against others.
struct IncludedAccess {
    bool readOnly = false;  // we may not write them: permissions, a read-only mount, immutable
    bool inUse = false;     // another program holds a lock on them, or on Windows has them open

    bool operator==(const IncludedAccess&) const = default;
};

// How an examined document was read: as the default search reads every file, or only because the
// user included files of its kind.
enum class FileAccess {
    Ordinary,
    ReadOnly,
    InUse,
};

}  // namespace kalvor::platform
