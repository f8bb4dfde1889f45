#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/directory_listing.h"
#include "platform/file_operations.h"

namespace kalvor::scan {

// One marked document as the results list shows it, without its running number, which belongs
// to the list. Texts are UTF-8.
struct ResultRow {
    std::filesystem::path path;  // exactly the file found; actions use this, never the text
    std::string pathText;        // the path for display
    std::string sizeText;        // bytes, decimal, no separators
    std::string creationTimeText;
    std::string modificationTimeText;
    // The file as the search saw it, so that an action can refuse a file that took its place.
    platform::FileFingerprint fingerprint;
};

// The cells of the row for the document at `path`, as its folder listing describes it. Bytes of
// the path that are not UTF-8 show as U+FFFD in the display text. Where the listing tells no
// identity for a file (Windows' finder tells it only for folders), the file is asked for its own.
ResultRow MakeResultRow(std::filesystem::path path, const platform::DirectoryEntry& entry);

// The running number of the row at 0-based position `index`: "1" for the first row.
std::string RowNumberText(std::size_t index);

}  // namespace kalvor::scan
