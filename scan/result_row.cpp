#include "scan/result_row.h"

#include <utility>

namespace kalvor::scan {

ResultRow MakeResultRow(std::filesystem::path path, const platform::DirectoryEntry& entry,
                        std::optional<platform::FileIdentity> folderIdentity) {
    ResultRow row{.path = std::move(path),
                  .size = entry.size,
                  .creationTime = entry.creationTime,
                  .lastWriteTime = entry.lastWriteTime,
                  .fingerprint = {.identity = entry.identity,
                                  .size = entry.size,
                                  .lastWriteTime = entry.lastWriteTime},
                  .folderIdentity = folderIdentity};
    if (entry.identity == platform::FileIdentity{}) {
        if (const auto now = platform::FingerprintOf(row.path)) {
            row.fingerprint.identity = now->identity;
        }
    }
    if (!row.folderIdentity.has_value()) {
        row.folderIdentity = platform::IdentityOf(row.path.parent_path());
    }
    return row;
}

}  // namespace kalvor::scan
