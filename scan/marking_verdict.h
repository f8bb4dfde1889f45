#pragma once

#include <string_view>

#include "platform/file_access.h"

namespace kalvor::scan {

enum class MarkingVerdict : int {
    NotMarked = 0,
    Marked = 1,
    NotExamined = 2,
};

// Why a document got NotExamined, for the account of what a search could not see. The verdict
// itself never depends on this.
enum class NotExaminedReason {
    None,
    NotRegularFile,        // FIFO, socket, device
    ReadOnly,              // read-only for us: permissions, mount, immutable
    Locked,                // held by another program
    Unreadable,            // missing, vanished, no read permission, or failing I/O
    DanglingLink,          // a link whose target does not exist or is a loop of links
    NotCompoundFile,       // not a Word 97-2003 compound file (RTF, HTML, text, corrupt)
    NoWordDocumentStream,  // a compound file, but not a Word document
    StreamTooLarge,        // the stream claims more than the file holds, or 2 GiB or more
    StructureTooLarge,     // a FAT or directory beyond any real document's, or beyond the file
    OutOfMemory,           // the memory to examine it could not be had
    TooShort,              // the stream ends before its version byte
    UnsupportedVersion,    // version byte other than 0x20, 0x40, 0x60
    Encrypted,             // a Word 97-2003 document whose text needs a password
    PathTooLong,           // the path cannot be handed to the file system
    OlderWorksFormat,      // a .wps compound file of an older works processor, not WPS Writer
    NotPackage,            // a Word 2007+ name, but neither a ZIP package nor a compound file
    EncryptedPackage,      // password-protected: an encrypted package, or encrypted ZIP entries
    DamagedPackage,        // truncated or damaged ZIP, bad checksum, malformed or refused XML
    NoMainPart,            // a ZIP package without a Word main document part
    PackageTooLarge,       // inflates beyond what any real document does: a zip bomb
    ChangedWhileRead,      // written to while it was read, and no marking in what came before
};

// Why a folder could not be listed, which leaves everything below it unsearched.
enum class FolderNotListedReason {
    NoPermission,  // we may not list it, enter it, or reach the target of the link to it
    Gone,          // it vanished, or is no folder any more, since its parent was listed
    TooManyLinks,  // a path the system will not follow: too many links in it, or a loop of links
    PathTooLong,   // a path longer than the system takes
    Unreadable,    // failing I/O, or any other failure
};

struct Examination {
    MarkingVerdict verdict = MarkingVerdict::NotExamined;
    NotExaminedReason reason = NotExaminedReason::None;            // None unless NotExamined
    platform::FileAccess access = platform::FileAccess::Ordinary;  // how it was read
};

// Short Chinese UTF-8 text for the window ("被其他程序锁定"), and a stable English token for
// scripts ("locked").
std::string_view DescribeReason(NotExaminedReason reason);
std::string_view ReasonToken(NotExaminedReason reason);
std::string_view DescribeReason(FolderNotListedReason reason);
std::string_view ReasonToken(FolderNotListedReason reason);

}  // namespace kalvor::scan
