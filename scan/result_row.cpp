#include "scan/result_row.h"

#include <utility>

namespace kalvor::scan {

ResultRow MakeResultRow(FoundDocument document, Examination examination) {
    const platform::DirectoryEntry& entry = document.entry;
    const platform::FileIdentity identity =
        entry.identity != platform::FileIdentity{}
            ? entry.identity
            : examination.fileIdentity.value_or(platform::FileIdentity{});
    const platform::FileDescription description =
        !entry.described && examination.fileDescription.has_value()
            ? *examination.fileDescription
            : platform::FileDescription{.size = entry.size,
                                        .creationTime = entry.creationTime,
                                        .lastWriteTime = entry.lastWriteTime};
    return {.path = std::move(document.path),
            .size = description.size,
            .creationTime = description.creationTime,
            .lastWriteTime = description.lastWriteTime,
            .fingerprint = {.identity = identity,
                            .size = description.size,
                            .lastWriteTime = description.lastWriteTime},
            .folderIdentity = examination.folderIdentity,
            .evidence = std::move(examination.evidence),
            .access = examination.access};
}

}  // namespace kalvor::scan
