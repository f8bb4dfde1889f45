#include "scan/tree_walk.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

namespace kalvor::scan {

namespace fs = std::filesystem;

namespace {

class Walk {
  public:
    Walk(const fs::path& base, const DocumentTypes& types, TreeVisitor& visitor)
        : path_(base.native()), types_(types), visitor_(visitor) {}

    // Walks the folder at the current path unless this search has walked it already, by whatever
    // name: that ends loops, and no arrangement of links walks a folder twice. A folder that could
    // not be listed by this path (too many links in it, say) may still be walked by a later one;
    // it is reported the first time only. Failures walk nothing below, so retries stay as few as
    // the entries that lead to the folder.
    void Enter(std::optional<platform::FileIdentity> identity) {
        if (identity.has_value() && !entered_.insert(*identity).second) {
            return;
        }
        if (WalkFolder(identity)) {
            return;
        }
        if (identity.has_value()) {
            entered_.erase(*identity);
            if (!reported_.insert(*identity).second) {
                return;
            }
        }
        visitor_.FolderNotListed(fs::path(path_));
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

    // False when the folder could not be listed.
    bool WalkFolder(const std::optional<platform::FileIdentity>& identity) {
        std::optional<std::vector<platform::DirectoryEntry>> entries = platform::ListDirectory(
            fs::path(path_),
            [this](platform::NativeName name) { return types_.FormatOfName(name) != nullptr; });
        if (!entries.has_value()) {
            return false;
        }
        visitor_.FolderListed();
        for (platform::DirectoryEntry& entry : *entries) {
            if (!stopped_) {
                stopped_ = visitor_.StopRequested();
            }
            if (stopped_) {
                return true;
            }
            const Descent descent(path_, entry.name);
            const DocumentFormat* format =
                entry.isDirectory ? nullptr : types_.FormatOfName(entry.name.native());
            if (entry.statusUnknown && format == nullptr) {
                // Named by a folder we may read but not enter: whatever lies there is unseen.
                visitor_.FolderNotListed(fs::path(path_));
            } else if (entry.isDirectory) {
                Enter(entry.identity);
            } else {
                visitor_.DocumentFound({fs::path(path_), std::move(entry), format, identity});
            }
        }
        return true;
    }

    fs::path::string_type path_;
    const DocumentTypes& types_;
    TreeVisitor& visitor_;
    std::unordered_set<platform::FileIdentity, platform::FileIdentityHash> entered_;
    std::unordered_set<platform::FileIdentity, platform::FileIdentityHash> reported_;
    bool stopped_ = false;
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

void WalkTree(const fs::path& folder, const DocumentTypes& types, TreeVisitor& visitor) {
    Walk(folder, types, visitor).Enter(platform::IdentityOf(folder));
}

}  // namespace kalvor::scan
