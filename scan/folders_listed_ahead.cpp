#include "scan/folders_listed_ahead.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "scan/thread_start.h"

namespace kalvor::scan {

FoldersListedAhead::~FoldersListedAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void FoldersListedAhead::Ask(const Path& folder) {
    {
        const std::lock_guard lock(mutex_);
        if (folders_.size() >= kWindow || folders_.contains(folder)) {
            return;
        }
        folders_.emplace(folder, Folder{.state = State::Queued, .order = asked_++});
        if (threads_.empty()) {
            // Room for every thread first, so that starting them never throws; with none
            // started, the walk lists every folder itself.
            threads_.reserve(kThreads);
            StartThreads(threads_, kThreads, [this] { Work(); });
        }
    }
    changed_.notify_one();
}

platform::DirectoryListing FoldersListedAhead::Take(const Path& folder) {
    std::unique_lock lock(mutex_);
    const auto found = folders_.find(folder);
    if (found == folders_.end() || found->second.state == State::Queued) {
        // Not begun: the walk, which needs it now, lists it at once rather than wait its turn.
        if (found != folders_.end()) {
            folders_.erase(found);
        }
        lock.unlock();
        return list_(folder);
    }
    changed_.wait(lock, [&] { return found->second.state == State::Listed; });
    platform::DirectoryListing listing = std::move(found->second.listing);
    folders_.erase(found);
    lock.unlock();
    // A place in the window is free again.
    changed_.notify_all();
    return listing;
}

void FoldersListedAhead::Drop(const Path& folder) {
    {
        const std::lock_guard lock(mutex_);
        const auto found = folders_.find(folder);
        if (found == folders_.end()) {
            return;
        }
        if (found->second.state == State::Listing) {
            found->second.dropped = true;
            return;
        }
        folders_.erase(found);
    }
    changed_.notify_all();
}

void FoldersListedAhead::Work() {
    std::unique_lock lock(mutex_);
    while (true) {
        auto next = folders_.end();
        changed_.wait(lock, [&] {
            next = folders_.end();
            for (auto it = folders_.begin(); it != folders_.end(); ++it) {
                if (it->second.state == State::Queued &&
                    (next == folders_.end() || it->second.order < next->second.order)) {
                    next = it;
                }
            }
            return stopping_ || next != folders_.end();
        });
        if (stopping_) {
            return;
        }
        // Entries of an unordered map stay where they are while others come and go, and only
        // the walk removes one, after it is Listed.
        Folder& folder = next->second;
        folder.state = State::Listing;
        const Path& path = next->first;
        lock.unlock();
        platform::DirectoryListing listing = ListNow(path);
        lock.lock();
        if (folder.dropped) {
            folders_.erase(next);
        } else {
            folder.listing = std::move(listing);
            folder.state = State::Listed;
        }
        changed_.notify_all();
    }
}

platform::DirectoryListing FoldersListedAhead::ListNow(const Path& folder) const {
    try {
        return list_(folder);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return {.entries = {}, .error = std::make_error_code(std::errc::not_enough_memory)};
}

}  // namespace kalvor::scan
