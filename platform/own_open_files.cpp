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

void OwnOpenFiles::Release(const FileIdentity& file) {
    {
        const std::lock_guard guard(mutex_);
        held_.erase(file);
    }
    released_.notify_all();
}

}  // namespace kalvor::platform
