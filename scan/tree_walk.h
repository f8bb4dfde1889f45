#pragma once

#include <filesystem>
#include <optional>

#include "platform/directory_listing.h"
#include "platform/exclusive_file.h"
#include "scan/document_types.h"

namespace kalvor::scan {

class DocumentFormat;

// Why a folder could not be listed, which leaves everything below it unsearched.
enum class FolderNotListedReason {
    NoPermission,  // we may not list it, enter it, or reach the target of the link to it
    Gone,          // it vanished, or is no folder any more, since its parent was listed
    TooManyLinks,  // a path the system will not follow: too many links in it, or a loop of links
    PathTooLong,   // a path longer than the system takes
    Unreadable,    // failing I/O, or any other failure
};

struct FoundDocument {
    std::filesystem::path path;  // the walked folder joined with the name, one separator between
    platform::DirectoryEntry entry;
    const DocumentFormat* format = nullptr;  // the chosen type its name ends in
    // The folder it was found in, as the walk entered it; nothing when that could not be asked.
    std::optional<platform::FileIdentity> folderIdentity;
    // Documents of kinds the user included, opened rather than refused.
    platform::IncludedAccess include{};

    // How the listing saw it, which decides how it is opened.
    platform::ListedAs Listed() const;
};

// What a walk reports, in walk order. Kept apart from examining documents so that examination can
// run one file at a time or on several workers without changing the order of the walk.
class TreeVisitor {
  public:
    virtual ~TreeVisitor() = default;

    virtual void FolderListed() = 0;
    // A folder that could not be listed (no permission, vanished, path too long for the system),
    // or a link the walk cannot follow to what may be one; it is skipped with everything below.
    virtual void FolderNotListed(const std::filesystem::path& /*folder*/,
                                 FolderNotListedReason /*reason*/) {}
    virtual void DocumentFound(FoundDocument document) = 0;
    // Polled before each entry; true ends the walk.
    virtual bool StopRequested() = 0;
};

// `folder` made absolute without resolving links, with "." elements and doubled or trailing
// separators dropped, so that every path joined to it has exactly one separator before the name.
std::filesystem::path WalkBase(const std::filesystem::path& folder);

// Walks `folder` (already a walk base) depth first in listing order, entering each subfolder where
// its entry comes up. Each folder is walked once, by the first path in walk order that reaches
// it: never again through a second link, nor as a real subfolder of a folder already walked
// through a link. So loops end and no arrangement of links multiplies the walk; without links
// every folder is walked exactly once, as the platform's own walk does. The one exception: a
// folder first walked on a read-only mount is walked once more by the first path that reaches it
// on a writable one, where its documents can be examined, unless read-only documents are
// `include`d, which are then examined where they were found first. Reports every file whose name
// ends in one of `types`, and every folder that cannot be listed or entered, which is skipped.
// With `listing` AheadOnceWaited, once a listing has been waited for (a share, a cold disk), the
// folders the walk is about to enter are listed ahead of it, several at once, on threads of their
// own (with Ahead, from the start); what the walk reports, and in which order, stays the same.
enum class FolderListing { OneAtATime, AheadOnceWaited, Ahead };
void WalkTree(const std::filesystem::path& folder, const DocumentTypes& types, TreeVisitor& visitor,
              platform::IncludedAccess include = {},
              FolderListing listing = FolderListing::OneAtATime);

}  // namespace kalvor::scan
