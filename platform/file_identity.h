#pragma once

#include <cstdint>
#include <functional>

namespace kalvor::platform {

// One file or folder however many names lead to it: device + inode, or volume serial + file
// index on Windows.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileIdentityHash {
    std::size_t operator()(const FileIdentity& identity) const {
        return std::hash<std::uint64_t>()(identity.inode * 31 + identity.device);
    }
};

}  // namespace kalvor::platform
