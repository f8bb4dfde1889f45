#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace kalvor::platform {

// What a folder walk needs to tell a folder it is already inside from a new one.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct DirectoryEntry {
    std::filesystem::path name;  // the last element only, exactly as the file system holds it
    bool isDirectory = false;    // a link to a directory counts as a directory
    bool isLink = false;         // the entry itself is a symbolic link
    std::uint64_t size = 0;
    // Seconds since 1970-01-01 00:00:00 UTC. No creation stamp when the file system keeps none.
    std::optional<std::int64_t> creationTime;
    std::int64_t lastWriteTime = 0;
    FileIdentity identity;  // of what the entry leads to, links followed
};

// Lists a folder without "." and "..", in the order an NTFS folder lists its entries (names
// compared by UTF-16 code units after upper-casing), so results come in the same stable order on
// every file system. Nothing when the folder cannot be listed.
std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& folder);

// The identity of a folder itself, links followed; nothing when it cannot be asked.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& folder);

}  // namespace kalvor::platform
