#include "scan/result_row.h"

#include <utility>

#include "platform/path_text.h"
#include "scan/file_time.h"

namespace kalvor::scan {

ResultRow MakeResultRow(std::filesystem::path path, const platform::DirectoryEntry& entry) {
    ResultRow row;
    row.pathText = platform::PathText(path);
    row.path = std::move(path);
    row.sizeText = std::to_string(entry.size);
    row.creationTimeText = FormatFileTime(TimeValueFromStamp(entry.creationTime));
    row.modificationTimeText = FormatFileTime(TimeValueFromStamp(entry.lastWriteTime));
    row.fingerprint = {
        .identity = entry.identity, .size = entry.size, .lastWriteTime = entry.lastWriteTime};
    if (entry.identity == platform::FileIdentity{}) {
        if (const auto now = platform::FingerprintOf(row.path)) {
            row.fingerprint.identity = now->identity;
        }
    }
    return row;
}

std::string RowNumberText(std::size_t index) {
    return std::to_string(index + 1);
}

}  // namespace kalvor::scan
