#pragma once

namespace kalvor::scan {

// Why a document under a Word 2007+ name was not examined as a package.
enum class PackageRefusal {
    NotPackage,        // neither a ZIP package nor a compound file
    Encrypted,         // password-protected: an encrypted package, or encrypted ZIP entries
    Damaged,           // truncated or damaged ZIP, bad checksum, malformed or refused XML
    NoMainPart,        // a ZIP package without a Word main document part
    TooLarge,          // inflates beyond what any real document does: a zip bomb
    LibrariesMissing,  // the system could not load the libraries packages are read with
};

}  // namespace kalvor::scan
