#pragma once

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/directory_listing.h"

namespace kalvor::scan {

// Lists the folders a walk is about to enter ahead of it, several at once, for a file system on
// which a listing costs round trips (a share, a cold disk): the walk takes each listing when it
// gets there, in its own order, and lists a folder itself when it is not ahead. Holds at most
// kWindow folders asked for and not yet taken, and their listings.
class FoldersListedAhead {
  public:
    using Path = std::filesystem::path::string_type;
    using List = std::function<platform::DirectoryListing(const Path&)>;

    static constexpr std::size_t kWindow = 64;
    static constexpr unsigned kThreads = 8;

    explicit FoldersListedAhead(List list) : list_(std::move(list)) {}
    // Drops the folders not begun and waits for the listings under way.
    ~FoldersListedAhead();
    FoldersListedAhead(const FoldersListedAhead&) = delete;
    FoldersListedAhead& operator=(const FoldersListedAhead&) = delete;

    // Asks for `folder` to be listed ahead, unless the window is full or it is asked for already.
    void Ask(const Path& folder);
    // The listing of `folder`: the one made ahead (waited for while it is under way), or one made
    // now, as the walk would make it without help.
    platform::DirectoryListing Take(const Path& folder);
    // Forgets `folder`, which the walk will not enter after all (it entered it by another name).
    void Drop(const Path& folder);

  private:
    enum class State { Queued, Listing, Listed };
    struct Folder {
        State state = State::Queued;
        std::uint64_t order = 0;  // when it was asked for: the earliest is listed first
        bool dropped = false;     // to be forgotten once listed
        platform::DirectoryListing listing{};
    };

    void Work();
    // The listing of `folder`, with a failure to have the memory for it as its error: a thread of
    // its own has no caller to hand the failure to.
    platform::DirectoryListing ListNow(const Path& folder) const;

    List list_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::unordered_map<Path, Folder> folders_;
    std::uint64_t asked_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace kalvor::scan
