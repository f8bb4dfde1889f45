#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/file_identity.h"

namespace kalvor::platform {

// A folder held open, so that a file in it can be opened by its name within it.
class OpenedFolder;

// The folders one search holds open while it examines the documents in them. A document is then
// opened by its name within its folder: opened by its path, every folder on the way is looked up
// again, and on a share each lookup is a round trip. The few folders used last stay open, shared
// by the search's examiners; a folder let go stays open while a document is being opened in it.
class OpenedFolders {
  public:
    OpenedFolders();
    ~OpenedFolders();
    OpenedFolders(const OpenedFolders&) = delete;
    OpenedFolders& operator=(const OpenedFolders&) = delete;

    // The folder at `path`, where it can be held and is still the one with `identity` (the one
    // the walk listed, when known); nothing otherwise, and on a system where files are opened by
    // path only.
    std::shared_ptr<const OpenedFolder> Get(const std::filesystem::path& path,
                                            const std::optional<FileIdentity>& identity);

  private:
    struct Held;
    std::unique_ptr<Held> held_;
};

}  // namespace kalvor::platform
