#pragma once

#include <cstdint>

#include "scan/evidence.h"

// How a marking the search found reads in its document: a classification marking or a mention.
// Written once, beside what a marking is (marking_rule.h), for every format.
namespace kalvor::scan::marking {

// Official documents set the classification in the block at the top left of the first page:
// the copy number (份号), then the level and its period (密级和保密期限), then the urgency
// (紧急程度), one line each, before the issuing authority's red header. So the level stands in
// the first or second line holding text; the third leaves room for one line more above it (a
// file number, a line of a template). Empty paragraphs, which writers use to space that block,
// are not counted.
inline constexpr std::uint32_t kHeadParagraphs = 3;

// A line break within a paragraph, as Word keeps it in its text.
inline constexpr char16_t kLineBreak = u'\v';

// Space a writer lays out with, and the marks Word keeps in its text that show nothing (anchors,
// field marks); not a line break, which ends what stands on a line. A paragraph of these alone
// holds no text.
constexpr bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\u3000' || unit == u'\u00A0' ||
           (unit < 0x20 && unit != kLineBreak);
}

constexpr bool HoldsText(char16_t unit) {
    return !IsBlank(unit) && unit != kLineBreak;
}

// A hit is a classification marking when the level stands alone on its line: nothing but spaces
// in front of it (a line begins its paragraph, or follows a line break), and behind it nothing,
// or a star (★, also ☆ and ＊) and a period ("10年", "6个月", "2025年12月31日", "长期", or
// "启用前" as exam papers are marked), up to the line's end. And it stands where official
// documents set it: in the first kHeadParagraphs paragraphs of the main text (in a table cell
// too), or in a header or footer, which repeats it on every page. Anywhere else in the text it is
// a mention; in no text at all, residue.
EvidenceGrade GradeOf(const HitSurroundings& hit);

}  // namespace kalvor::scan::marking
