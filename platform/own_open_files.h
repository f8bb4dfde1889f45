#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <unordered_set>
#include <utility>

#include "platform/file_identity.h"

namespace kalvor::platform {

// The documents this process's own readers hold right now. A search reads one file under many
// names (hard links, links, bind mounts) on several workers at once; a worker that finds the file
// taken waits for its colleague instead of calling it locked, so that only other programs ever
// decide that verdict.
class OwnOpenFiles {
  public:
    static OwnOpenFiles& Instance();

    // Takes `file` for the caller, first waiting while another of our readers has it.
    void Claim(const FileIdentity& file);
    void Release(const FileIdentity& file);

    // For systems whose open itself fails while one of our readers has the file: opening happens
    // under `Guard()`, so a file we hold is always listed here by the time another open fails.
    std::unique_lock<std::mutex> Guard() { return std::unique_lock(mutex_); }
    bool HeldLocked(const FileIdentity& file) const { return held_.contains(file); }
    void HoldLocked(const FileIdentity& file) { held_.insert(file); }
    void WaitForReleaseLocked(std::unique_lock<std::mutex>& guard) { released_.wait(guard); }
    // Whether one of our readers let go of `file` a moment ago. Some systems (Wine) release a
    // closed file's sharing a little after the close returns: an open that fails then should try
    // again rather than call the file locked.
    bool ReleasedJustNowLocked(const FileIdentity& file) const;

  private:
    struct RecentRelease {
        FileIdentity file;
        std::chrono::steady_clock::time_point at;
    };

    std::mutex mutex_;
    std::condition_variable released_;
    std::unordered_set<FileIdentity, FileIdentityHash> held_;
    std::array<RecentRelease, 64> recentReleases_{};
    std::size_t nextRelease_ = 0;
};

// Holds a claim for as long as it lives.
class OwnOpenFileClaim {
  public:
    OwnOpenFileClaim() = default;
    // Adopts a claim already taken.
    explicit OwnOpenFileClaim(const FileIdentity& file) : file_(file), held_(true) {}
    ~OwnOpenFileClaim() { Reset(); }
    OwnOpenFileClaim(OwnOpenFileClaim&& other) noexcept
        : file_(other.file_), held_(std::exchange(other.held_, false)) {}
    OwnOpenFileClaim& operator=(OwnOpenFileClaim&& other) noexcept {
        if (this != &other) {
            Reset();
            file_ = other.file_;
            held_ = std::exchange(other.held_, false);
        }
        return *this;
    }

    void Reset() {
        if (std::exchange(held_, false)) {
            OwnOpenFiles::Instance().Release(file_);
        }
    }

    // The file held; nothing when none is.
    std::optional<FileIdentity> File() const {
        return held_ ? std::optional<FileIdentity>(file_) : std::nullopt;
    }

  private:
    FileIdentity file_;
    bool held_ = false;
};

inline OwnOpenFileClaim ClaimOwnOpenFile(const FileIdentity& file) {
    OwnOpenFiles::Instance().Claim(file);
    return OwnOpenFileClaim(file);
}

}  // namespace kalvor::platform
