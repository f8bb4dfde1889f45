#include "platform/opened_folders.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <future>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "platform/posix/opened_folder.h"
#include "platform/posix/statx_description.h"

namespace kalvor::platform {

namespace {

// The examiners take documents in walk order, so the folders in use at once are few; a walk that
// comes back to a folder after this many others opens it anew.
constexpr std::size_t kMostHeld = 16;

// A folder held, or being opened by one examiner while others that need it wait for it.
using Opening = std::shared_future<std::shared_ptr<const OpenedFolder>>;
using Entry = std::pair<std::filesystem::path, Opening>;

// The folder at `path`, when it is the one with `identity`.
std::shared_ptr<const OpenedFolder> Open(const std::filesystem::path& path,
                                         const std::optional<FileIdentity>& identity) {
    UniqueFd fd(open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid()) {
        return nullptr;
    }
    struct statx status {};
    if (identity.has_value() &&
        (statx(fd.Get(), "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, STATX_INO, &status) != 0 ||
         IdentityFrom(status) != *identity)) {
        return nullptr;
    }
    try {
        return std::make_shared<const OpenedFolder>(std::move(fd));
    } catch (const std::bad_alloc&) {
        // Without the memory to hold it, the folder's documents are opened by their paths.
        return nullptr;
    }
}

}  // namespace

struct OpenedFolders::Held {
    std::mutex mutex;
    std::vector<Entry> folders;  // the one used last at the end
};

OpenedFolders::OpenedFolders() : held_(std::make_unique<Held>()) {}

OpenedFolders::~OpenedFolders() = default;

std::shared_ptr<const OpenedFolder> OpenedFolders::Get(
    const std::filesystem::path& path, const std::optional<FileIdentity>& identity) {
    std::promise<std::shared_ptr<const OpenedFolder>> promise;
    Opening opening;
    bool opensIt = false;
    {
        const std::lock_guard lock(held_->mutex);
        std::vector<Entry>& folders = held_->folders;
        // Looked for from the one used last, which the next document nearly always lies in, by
        // the path's bytes: every document of a folder comes with the same path to it.
        const auto found = std::find_if(folders.rbegin(), folders.rend(), [&](const Entry& entry) {
            return entry.first.native() == path.native();
        });
        if (found != folders.rend()) {
            std::rotate(found.base() - 1, found.base(), folders.end());
            opening = folders.back().second;
        } else {
            if (folders.size() == kMostHeld) {
                folders.erase(folders.begin());
            }
            opening = promise.get_future().share();
            folders.emplace_back(path, opening);
            opensIt = true;
        }
    }
    if (!opensIt) {
        return opening.get();
    }
    // Opened without the lock, by the first examiner to need it while the others that do wait:
    // on a share that is a round trip, which examiners of documents in other folders need not
    // wait for. A folder that cannot be held stays remembered as such.
    std::shared_ptr<const OpenedFolder> opened = Open(path, identity);
    promise.set_value(opened);
    return opened;
}

}  // namespace kalvor::platform
