#pragma once

#include "scan/document_types.h"
#include "scan/marking_rule.h"

namespace kalvor::results {

// What the user asked the window's searches to look for: which types of documents, and which
// units may stand between the two characters of a marking. Word 97-2003 documents and the plain
// rule unless asked otherwise.
struct SearchChoice {
    scan::DocumentTypes types{};
    scan::marking::MatchRule match = scan::marking::MatchRule::Default;

    bool operator==(const SearchChoice&) const = default;
};

}  // namespace kalvor::results
