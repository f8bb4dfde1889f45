#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/directory_listing.h"
#include "platform/file_access.h"
#include "platform/file_operations.h"

namespace kalvor::scan {

// One marked document as the search found it, without its running number, which belongs to the
// list. Data only: the window's cells and every output format make their own texts of it.
struct ResultRow {
    std::filesystem::path path;  // exactly the file found; actions use this, never a text of it
    std::uint64_t size = 0;      // bytes
    // Seconds since 1970-01-01 00:00:00 UTC, as the folder listing told them: no creation stamp
    // where the file system keeps none.
    std::optional<std::int64_t> creationTime;
    std::int64_t lastWriteTime = 0;
    // The file as the search saw it, so that an action can refuse a file that took its place.
    platform::FileFingerprint fingerprint;
    // The folder that held it as the search saw it, so that opening the folder can refuse another
    // folder put in its place; nothing when it could not be asked.
    std::optional<platform::FileIdentity> folderIdentity;
    // How it was read: read-only or in use only where the user included such documents.
    platform::FileAccess access = platform::FileAccess::Ordinary;
};

// The row for the document at `path`, as its folder listing describes it, found in the folder
// `folderIdentity`. Where the listing tells no identity for a file (Windows' finder tells it only
// for folders), the file is asked for its own; where the walk could not tell the folder's, the
// folder is asked.
ResultRow MakeResultRow(std::filesystem::path path, const platform::DirectoryEntry& entry,
                        std::optional<platform::FileIdentity> folderIdentity);

// The texts of a row's cells, made where the row is shown or written, the same in the window and
// in every output format.

// The running number of the row at 0-based position `index`: "1" for the first row.
std::string RowNumberText(std::size_t index);

// A size in bytes: decimal digits, no separators, no unit.
std::string SizeText(std::uint64_t size);

// A stamp in FormatFileTime's form. A missing stamp, or one before local year 1900, shows as the
// time value 0; one that no local time can show, as nothing.
std::string StampText(std::optional<std::int64_t> stamp);

}  // namespace kalvor::scan
