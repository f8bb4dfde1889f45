#pragma once

#include <cstdint>
#include <optional>

namespace kalvor::platform {

// What a result row tells of a file besides its name.
struct FileDescription {
    std::uint64_t size = 0;
    // Seconds since 1970-01-01 00:00:00 UTC. No creation stamp when the file system keeps none.
    std::optional<std::int64_t> creationTime;
    std::int64_t lastWriteTime = 0;

    bool operator==(const FileDescription&) const = default;
};

}  // namespace kalvor::platform
