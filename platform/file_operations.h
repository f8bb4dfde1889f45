#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/directory_listing.h"

// Stand-ins for the platform's file copy and file deletion.
namespace kalvor::platform {

// Enough of a file to tell it from another file that took its name or its place later: which file
// it is (device and inode; volume serial and file index), its size and its modification time.
struct FileFingerprint {
    FileIdentity identity;
    std::uint64_t size = 0;
    std::int64_t lastWriteTime = 0;  // seconds since 1970-01-01 00:00:00 UTC
    friend bool operator==(const FileFingerprint&, const FileFingerprint&) = default;
};

// The fingerprint of the file `path` leads to now, links followed, in the terms a folder listing
// uses; nothing when it cannot be asked.
std::optional<FileFingerprint> FingerprintOf(const std::filesystem::path& path);

// Copies the regular file `source` to `destination`, replacing a file of that name, and keeps the
// source's modification time. The bytes go first into a file in the destination's folder that has
// no name (or, where the file system cannot make one, a hidden temporary name no longer than the
// destination's), which replaces the destination only once it is complete and on disk. So a failed
// or interrupted copy leaves the destination as it was and nothing beside it. The system's error
// when anything failed, else none.
std::error_code ReplaceWithCopy(const std::filesystem::path& source,
                                const std::filesystem::path& destination);

// Writes `bytes` as the file `destination`, replacing a file of that name, the same way: the
// destination is the complete new file or stays as it was, with nothing left beside it. The
// system's error when anything failed, none otherwise.
std::error_code ReplaceWithBytes(const std::filesystem::path& destination, std::string_view bytes);

// Removes the entry `path` from its folder unless it is a folder: a file, or a link as a link
// (its target stays). The system's error when nothing was removed, else none.
std::error_code DeleteFileEntry(const std::filesystem::path& path);

}  // namespace kalvor::platform
