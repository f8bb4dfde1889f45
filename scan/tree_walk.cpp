#include "scan/tree_walk.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

#include "scan/folder_search.h"

namespace kalvor::scan {

namespace fs = std::filesystem;

namespace {

struct IdentityHash {
    std::size_t operator()(const platform::FileIdentity& identity) const {
        return std::hash<std::uint64_t>()(identity.inode * 31 + identity.device);
    }
};

class Walk {
  public:
    Walk(std::string_view extension, TreeVisitor& visitor)
        : extension_(extension), visitor_(visitor) {}

    void Enter(const fs::path& folder, std::optional<platform::FileIdentity> identity,
               bool throughLink) {
        if (identity.has_value()) {
            if (IsBeingWalked(*identity) || (throughLink && entered_.contains(*identity))) {
                return;
            }
            entered_.insert(*identity);
            ancestors_.push_back(*identity);
        }
        WalkFolder(folder);
        if (identity.has_value()) {
            ancestors_.pop_back();
        }
    }

  private:
    bool IsBeingWalked(const platform::FileIdentity& identity) const {
        return std::find(ancestors_.begin(), ancestors_.end(), identity) != ancestors_.end();
    }

    void WalkFolder(const fs::path& folder) {
        std::optional<std::vector<platform::DirectoryEntry>> entries = platform::ListDirectory(
            folder,
            [this](platform::NativeName name) { return MatchesExtension(name, extension_); });
        if (!entries.has_value()) {
            visitor_.FolderNotListed(folder);
            return;
        }
        visitor_.FolderListed();
        for (platform::DirectoryEntry& entry : *entries) {
            if (!stopped_) {
                stopped_ = visitor_.StopRequested();
            }
            if (stopped_) {
                return;
            }
            fs::path path = folder / entry.name;
            if (entry.isDirectory) {
                Enter(path, entry.identity, entry.isLink);
            } else {
                visitor_.DocumentFound({std::move(path), std::move(entry)});
            }
        }
    }

    std::string_view extension_;
    TreeVisitor& visitor_;
    std::vector<platform::FileIdentity> ancestors_;
    std::unordered_set<platform::FileIdentity, IdentityHash> entered_;
    bool stopped_ = false;
};

}  // namespace

platform::ListedAs FoundDocument::Listed() const {
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

void WalkTree(const fs::path& folder, std::string_view extension, TreeVisitor& visitor) {
    Walk(extension, visitor).Enter(folder, platform::IdentityOf(folder), false);
}

}  // namespace kalvor::scan
