#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/directory_listing.h"
#include "platform/file_access.h"
#include "platform/file_operations.h"
#include "scan/evidence.h"
#include "scan/marking_verdict.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

// One marked document as the search found it, without its running number, which belongs to the
// list. Data only: the window's cells and every output format make their own texts of it.
struct ResultRow {
    std::filesystem::path path;  // exactly the file found; actions use this, never a text of it
    std::uint64_t size = 0;      // bytes
    // Seconds since 1970-01-01 00:00:00 UTC, as the file told them: no creation stamp
    // where the file system keeps none.
    std::optional<std::int64_t> creationTime;
    std::int64_t lastWriteTime = 0;
    // The file as the search saw it, so that an action can refuse a file that took its place.
    platform::FileFingerprint fingerprint;
    // The folder that held it as the search saw it, so that opening the folder can refuse another
    // folder put in its place; nothing when it could not be asked.
    std::optional<platform::FileIdentity> folderIdentity;
    // Why it was listed, when the search was asked: its hits, strongest first (the row's grade is
    // the first's, DocumentGrade); empty otherwise.
    std::vector<EvidenceHit> evidence{};
    // How it was read: read-only or in use only where the user included such documents.
    platform::FileAccess access = platform::FileAccess::Ordinary;
};

// The row for a marked document, as its folder listing describes it and as its examination saw its
// file and folder: where the listing tells no identity for a file (Windows' finder tells it only
// for folders), the one the file told while it was open, and where it left out size and stamps,
// those the file told when it was opened; with the examination's evidence. Asks the system
// nothing.
ResultRow MakeResultRow(FoundDocument document, Examination examination);

}  // namespace kalvor::scan
