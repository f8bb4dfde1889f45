#include "scan/tree_walk.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "scan/folders_listed_ahead.h"

namespace kalvor::scan {

namespace fs = std::filesystem;

namespace {

FolderNotListedReason ReasonOf(std::error_code error) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        return FolderNotListedReason::NoPermission;
    }
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return FolderNotListedReason::Gone;
    }
    if (error == std::errc::too_many_symbolic_link_levels) {
        return FolderNotListedReason::TooManyLinks;
    }
    if (error == std::errc::filename_too_long) {
        return FolderNotListedReason::PathTooLong;
    }
    return FolderNotListedReason::Unreadable;
}

// A listing that takes this long was waited for (a share, a cold disk), not worked on: a listing
// of thousands of names in memory takes less.
constexpr std::chrono::milliseconds kListingWaited{2};

class Walk {
  public:
    Walk(const fs::path& base, const DocumentTypes& types, TreeVisitor& visitor,
         platform::IncludedAccess include, FolderListing listing)
        : path_(base.native()),
          types_(types),
          visitor_(visitor),
          include_(include),
          listing_(listing) {
        if (listing_ == FolderListing::Ahead) {
            ListAheadFromNowOn();
        }
    }

    // Walks the folder at the current path, reached on a read-only mount or not, unless this
    // search has walked it already, by whatever name: that ends loops, and no arrangement of links
    // walks a folder twice. Only a folder walked on a read-only mount, where none of its documents
    // could be examined, is walked once more when a path on a writable mount reaches it (a
    // read-only bind mount that sorts first must not hide the folder itself); each folder is thus
    // walked at most twice, and loops still end. A folder that could not be listed by this path
    // (too many links in it, say) may still be walked by a later one; it is reported the first
    // time only. Failures walk nothing below, so retries stay as few as the entries that lead to
    // the folder.
    void Enter(std::optional<platform::FileIdentity> identity, bool readOnlyMount) {
        // Where read-only documents are examined, a read-only mount hides nothing.
        const bool readOnly = readOnlyMount && !include_.readOnly;
        const auto walked = identity.has_value() ? walked_.find(*identity) : walked_.end();
        if (walked != walked_.end() && (walked->second == Mount::Writable || readOnly)) {
            if (ahead_.has_value()) {
                ahead_->Drop(path_);
            }
            return;
        }
        platform::DirectoryListing listing = ListCurrentFolder();
        if (listing.error) {
            if (!identity.has_value() || reported_.insert(*identity).second) {
                visitor_.FolderNotListed(fs::path(path_), ReasonOf(listing.error));
            }
            return;
        }
        if (identity.has_value()) {
            walked_[*identity] = readOnly ? Mount::ReadOnly : Mount::Writable;
        }
        WalkEntries(listing.entries, identity, readOnly);
    }

  private:
    // One path for the whole walk, grown by a name on the way down and cut back on the way up,
    // so a deep tree costs the text of its deepest path and no copy of it per level.
    class Descent {
      public:
        Descent(fs::path::string_type& path, const fs::path& name)
            : path_(path), size_(path.size()) {
            if (!path_.empty() && path_.back() != fs::path::preferred_separator) {
                path_ += fs::path::preferred_separator;
            }
            path_ += name.native();
        }
        ~Descent() { path_.resize(size_); }
        Descent(const Descent&) = delete;
        Descent& operator=(const Descent&) = delete;

      private:
        fs::path::string_type& path_;
        std::size_t size_;
    };

    enum class Mount { ReadOnly, Writable };

    platform::DirectoryListing ListFolder(const fs::path::string_type& folder) const {
        return platform::ListDirectory(
            fs::path(folder),
            [this](platform::NativeName name) { return types_.FormatOfName(name) != nullptr; },
            platform::FileDetails::TypeOnly);
    }

    // Once a listing has been waited for, the folders ahead are listed while the walk goes on.
    platform::DirectoryListing ListCurrentFolder() {
        if (ahead_.has_value()) {
            return ahead_->Take(path_);
        }
        const auto start = std::chrono::steady_clock::now();
        platform::DirectoryListing listing = ListFolder(path_);
        if (listing_ == FolderListing::AheadOnceWaited &&
            std::chrono::steady_clock::now() - start >= kListingWaited) {
            ListAheadFromNowOn();
        }
        return listing;
    }

    void ListAheadFromNowOn() {
        ahead_.emplace([this](const fs::path::string_type& folder) { return ListFolder(folder); });
    }

    // Asks for the folders among `entries` that the walk will enter to be listed ahead.
    void ListAhead(const std::vector<platform::DirectoryEntry>& entries) {
        for (const platform::DirectoryEntry& entry : entries) {
            if (entry.isDirectory && !entry.statusError && !walked_.contains(entry.identity)) {
                const Descent descent(path_, entry.name);
                ahead_->Ask(path_);
            }
        }
    }

    // The entries of the folder `identity`, reached on a read-only mount or not.
    void WalkEntries(std::vector<platform::DirectoryEntry>& entries,
                     const std::optional<platform::FileIdentity>& identity, bool readOnly) {
        visitor_.FolderListed();
        if (ahead_.has_value()) {
            ListAhead(entries);
        }
        for (platform::DirectoryEntry& entry : entries) {
            if (!stopped_) {
                stopped_ = visitor_.StopRequested();
            }
            if (stopped_) {
                return;
            }
            const Descent descent(path_, entry.name);
            const DocumentFormat* format =
                entry.isDirectory ? nullptr : types_.FormatOfName(entry.name.native());
            if (entry.statusError && format == nullptr) {
                // Named by a folder we may read but not enter, or a link we cannot follow to
                // what may be a folder: whatever lies there is unseen.
                visitor_.FolderNotListed(fs::path(path_), ReasonOf(entry.statusError));
            } else if (entry.isDirectory) {
                // Only a link or a mount point can lead to another mount: the mount is asked
                // about those alone, so that a tree of folders costs no question per folder.
                Enter(entry.identity,
                      entry.onFolderMount ? readOnly : platform::OnReadOnlyMount(path_));
            } else {
                visitor_.DocumentFound(
                    {fs::path(path_), std::move(entry), format, identity, include_});
            }
        }
    }

    fs::path::string_type path_;
    const DocumentTypes& types_;
    TreeVisitor& visitor_;
    platform::IncludedAccess include_;
    FolderListing listing_;
    std::unordered_map<platform::FileIdentity, Mount, platform::FileIdentityHash> walked_;
    std::unordered_set<platform::FileIdentity, platform::FileIdentityHash> reported_;
    bool stopped_ = false;
    // Last, so that its threads are gone before what they use.
    std::optional<FoldersListedAhead> ahead_;
};

}  // namespace

platform::ListedAs FoundDocument::Listed() const {
    if (entry.statusUnknown) {
        return platform::ListedAs::StatusUnknown;
    }
    return entry.isRegularFile && !entry.isLink ? platform::ListedAs::PlainFile
                                                : platform::ListedAs::Unknown;
}

fs::path WalkBase(const fs::path& folder) {
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error);
    if (error) {
        absolute = folder;
    }
    fs::path base = absolute.root_path();
    for (const fs::path& element : absolute.relative_path()) {
        if (!element.empty() && element != ".") {
            base /= element;
        }
    }
    return base;
}

void WalkTree(const fs::path& folder, const DocumentTypes& types, TreeVisitor& visitor,
              platform::IncludedAccess include, FolderListing listing) {
    Walk(folder, types, visitor, include, listing)
        .Enter(platform::IdentityOf(folder), platform::OnReadOnlyMount(folder));
}

}  // namespace kalvor::scan
