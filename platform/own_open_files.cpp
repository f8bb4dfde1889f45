#include "platform/own_open_files.h"

namespace kalvor::platform {

OwnOpenFiles& OwnOpenFiles::Instance() {
    static OwnOpenFiles files;
    return files;
}

void OwnOpenFiles::Claim(const FileIdentity& file) {
    std::unique_lock guard(mutex_);
    released_.wait(guard, [&] { return !held_.contains(file); });
    held_.insert(file);
}

namespace {

// Longer than any system takes to finish a close, short enough not to hide another program.
constexpr std::chrono::milliseconds kJustNow{250};

}  // namespace

void OwnOpenFiles::Release(const FileIdentity& file) {
    {
        const std::lock_guard guard(mutex_);
        held_.erase(file);
        recentReleases_[nextRelease_] = {file, std::chrono::steady_clock::now()};
        nextRelease_ = (nextRelease_ + 1) % recentReleases_.size();
    }
    released_.notify_all();
}

bool OwnOpenFiles::ReleasedJustNowLocked(const FileIdentity& file) const {
    const auto now = std::chrono::steady_clock::now();
    for (const RecentRelease& release : recentReleases_) {
        if (release.file == file && now - release.at < kJustNow) {
            return true;
        }
    }
    return false;
}

}  // namespace kalvor::platform
