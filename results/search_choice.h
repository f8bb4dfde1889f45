#pragma once

#include "platform/file_access.h"
#include "scan/document_types.h"
#include "scan/marking_rule.h"

namespace kalvor::results {

// What the user asked the window's searches to look for: which types of documents, which units
// may stand between the two characters of a marking, and whether documents that cannot be held
// (read-only, in use) are examined too. Word 97-2003 documents, the plain rule and no such
// documents unless asked otherwise.
struct SearchChoice {
    scan::DocumentTypes types{};
    scan::marking::MatchRule match = scan::marking::MatchRule::Default;
    platform::IncludedAccess include{};

    bool operator==(const SearchChoice&) const = default;
};

}  // namespace kalvor::results
