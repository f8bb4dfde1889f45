#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "scan/evidence.h"

// A listed document's evidence in the cells of one record: kalvor-scan's CSV and text output and
// the window's export give the same three, after the five of the row.
namespace kalvor::report {

// The marking within its context is set off by these, so that a reader of one cell sees which
// words were found: they are never a marking's own characters.
inline constexpr std::string_view kMarkingOpen = "【";
inline constexpr std::string_view kMarkingClose = "】";

// How grades and places are written: stable tokens for scripts, or words for people.
enum class EvidenceWording { Tokens, Words };

// The row's grade, its first hit's place and that hit's context (before, the marking set off,
// after), in UTF-8; empty cells for a row that carries no hits.
std::array<std::string, 3> EvidenceCells(const std::vector<scan::EvidenceHit>& hits,
                                         EvidenceWording wording);

}  // namespace kalvor::report
