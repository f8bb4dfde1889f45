#include "scan/folders_listed_ahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "scan/document_types.h"
#include "scan/tree_walk.h"
#include "tests/support/temp_dir.h"

namespace kalvor::scan {
namespace {

namespace fs = std::filesystem;
using Path = FoldersListedAhead::Path;

// Lists a folder as one entry named after it, and notes which folders were listed on a thread
// other than the walk's.
class ListingRecord {
  public:
    platform::DirectoryListing List(const Path& folder) {
        platform::DirectoryListing listing;
        listing.entries.emplace_back().name = folder;
        const std::lock_guard lock(mutex_);
        if (std::this_thread::get_id() != walk_) {
            ahead_.insert(folder);
        }
        changed_.notify_all();
        return listing;
    }

    // Gives up after a while, so that a folder never listed ahead fails the test, not hangs it.
    void WaitListedAhead(const std::vector<fs::path>& folders) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(20), [&] {
            for (const fs::path& folder : folders) {
                if (!ahead_.contains(folder.native())) {
                    return false;
                }
            }
            return true;
        });
    }

    bool ListedAhead(const fs::path& folder) {
        const std::lock_guard lock(mutex_);
        return ahead_.contains(folder.native());
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<Path> ahead_;
    std::thread::id walk_ = std::this_thread::get_id();
};

std::vector<fs::path> Numbered(std::size_t count) {
    std::vector<fs::path> folders;
    for (std::size_t i = 0; i < count; ++i) {
        folders.push_back("f" + std::to_string(i));
    }
    return folders;
}

// What the walk asks for, waits to see listed ahead, drops, then asks for again and takes; each
// listing taken is its own folder's, listed ahead or by the walk as `ahead` says.
struct AheadCase {
    std::string name;
    std::vector<fs::path> asked;
    std::vector<fs::path> dropped;
    std::vector<fs::path> askedAfter;
    std::vector<fs::path> taken;
    std::set<fs::path> ahead;
};

TEST(FoldersListedAhead, HandsEachFolderItsOwnListingFromWhicheverThreadListedIt) {
    const std::vector<fs::path> window = Numbered(FoldersListedAhead::kWindow);
    std::vector<fs::path> windowAndOneMore = window;
    windowAndOneMore.push_back("late");
    const std::vector<AheadCase> cases = {
        {"asked, then taken", {"a", "b", "c"}, {}, {}, {"a", "b", "c"}, {"a", "b", "c"}},
        {"taken out of order", {"a", "b", "c"}, {}, {}, {"c", "a", "b"}, {"a", "b", "c"}},
        {"never asked", {}, {}, {}, {"x"}, {}},
        // A full window asks for no more: the walk lists the folder behind it itself.
        {"beyond the window", windowAndOneMore, {}, {}, {"late", "f0"}, {"f0"}},
        // Dropped folders make room again.
        {"room after dropping", window, window, {"late"}, {"late"}, {"late"}},
    };
    for (const AheadCase& c : cases) {
        SCOPED_TRACE(c.name);
        ListingRecord record;
        FoldersListedAhead ahead([&](const Path& folder) { return record.List(folder); });
        for (const fs::path& folder : c.asked) {
            ahead.Ask(folder.native());
        }
        std::vector<fs::path> waited;
        for (const fs::path& folder : c.asked) {
            if (c.ahead.contains(folder) || !c.dropped.empty()) {
                waited.push_back(folder);
            }
        }
        record.WaitListedAhead(waited);
        for (const fs::path& folder : c.dropped) {
            ahead.Drop(folder.native());
        }
        for (const fs::path& folder : c.askedAfter) {
            ahead.Ask(folder.native());
        }
        record.WaitListedAhead(c.askedAfter);
        for (const fs::path& folder : c.taken) {
            const platform::DirectoryListing listing = ahead.Take(folder.native());
            ASSERT_EQ(listing.entries.size(), 1u) << folder;
            EXPECT_EQ(listing.entries[0].name, folder);
            EXPECT_EQ(record.ListedAhead(folder), c.ahead.contains(folder)) << folder;
        }
    }
}

// Everything a walk reports, in its order.
class WalkRecord final : public TreeVisitor {
  public:
    void FolderListed() override { events.push_back("listed"); }
    void FolderNotListed(const fs::path& folder, FolderNotListedReason reason) override {
        events.push_back("not listed " + folder.string() + " " +
                         std::to_string(static_cast<int>(reason)));
    }
    void DocumentFound(FoundDocument document) override {
        events.push_back("found " + document.path.string());
    }
    bool StopRequested() override { return false; }

    std::vector<std::string> events;
};

// Folders listed ahead, more than the window holds, through links that lead back up and across:
// the walk reports what it reports when it lists each folder itself, in the same order.
TEST(FoldersListedAhead, LeaveTheWalkAsItIs) {
    const testing::TempDir dir;
    for (int i = 0; i < 100; ++i) {
        const fs::path folder = dir.MakeDir("wide/f" + std::to_string(i) + "/inner");
        dir.Write(folder / "a.doc", std::vector<std::uint8_t>(8, 0));
    }
    dir.Write("deep/a/b/c/d.doc", std::vector<std::uint8_t>(8, 0));
    // Where the system makes no links (Windows without the right), the walk is the same.
    std::error_code noLinks;
    fs::create_directory_symlink(dir.Path() / "deep", dir.Path() / "deep/a/b/up", noLinks);
    fs::create_directory_symlink(dir.Path() / "wide/f3", dir.Path() / "deep/across", noLinks);
    std::vector<std::vector<std::string>> walks;
    for (const FolderListing listing : {FolderListing::OneAtATime, FolderListing::Ahead}) {
        WalkRecord record;
        WalkTree(WalkBase(dir.Path()), DocumentTypes(), record, {}, listing);
        walks.push_back(record.events);
    }
    // Each wide folder, its inner folder and document; the base and "wide"; the four deep folders
    // and the document; the links lead to folders walked already.
    EXPECT_EQ(walks[0].size(), 100u * 3 + 2 + 5);
    EXPECT_EQ(walks[1], walks[0]);
}

}  // namespace
}  // namespace kalvor::scan
