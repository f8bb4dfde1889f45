#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Why a document was listed, for whoever asked: each marking found, where it stands in the
// document and how it reads there. Data only: the edges make their texts of it.
namespace kalvor::scan {

// Where a hit stands, as a reader of the document meets it.
enum class EvidencePlace {
    Body,          // the main text, outside tables
    Table,         // a table cell of the main text
    HeaderFooter,  // a header or a footer
    Footnote,
    Endnote,
    Comment,
    TextBox,  // a text box, in the main text or in a header
    Residue,  // bytes of the file that no text a reader sees holds: fast-saved or deleted content
    Unknown,  // the document's text could not be read, so the hit could not be placed
};

// How a hit reads, strongest first.
enum class EvidenceGrade {
    Marking,  // a classification marking, set where official documents set it
    Mention,  // the words in the text, anywhere else
    Residue,  // in the file's bytes only
    Unknown,  // not placed, so not graded; only ever alone, as its whole document is unreadable
};

// One marking the search found.
struct EvidenceHit {
    std::u16string marking;  // as it stands, its spaces or tabs included
    // Up to kContextUnits of its paragraph on either side, control characters as spaces.
    std::u16string before;
    std::u16string after;
    EvidencePlace place = EvidencePlace::Unknown;
    // Its paragraph among the main text's paragraphs that hold text, counted from 0; nothing
    // outside the main text.
    std::optional<std::uint32_t> paragraph;
    EvidenceGrade grade = EvidenceGrade::Unknown;

    bool operator==(const EvidenceHit&) const = default;
};

// The hits kept for one document, strongest first; the document's grade is its first hit's.
inline constexpr std::size_t kMaxHits = 8;
inline constexpr std::size_t kContextUnits = 20;
// Markings weighed per document: a file built to hold millions of them still costs little more
// than a real one, and no real document comes near.
inline constexpr std::size_t kMaxHitsWeighed = 1000;

// What a format reader hands over of the paragraph a marking stands in: up to kSurroundingUnits
// on either side, within the paragraph, a line break as U+000B (as Word keeps it).
struct HitSurroundings {
    std::u16string_view before;
    std::u16string_view marking;
    std::u16string_view after;
    bool beforeFromStart = false;  // `before` is all of the paragraph in front of the marking
    bool afterToEnd = false;       // `after` is all of the paragraph behind it
    EvidencePlace place = EvidencePlace::Unknown;
    std::optional<std::uint32_t> paragraph;  // as in EvidenceHit
};

// As much of a paragraph as grading needs on either side of a marking: more than the widest
// indent of spaces in front of a marking and the longest period behind it.
inline constexpr std::size_t kSurroundingUnits = 64;

// The hit a marking makes, graded, with its context.
EvidenceHit DescribeHit(const HitSurroundings& surroundings);

// The grade of a document from its hits: its strongest hit's, or Unknown without any.
EvidenceGrade DocumentGrade(const std::vector<EvidenceHit>& hits);

// Keeps the strongest kMaxHits hits of those it is given, the first found first among equals,
// and each hit once: a text a reader sees twice the same (a header repeated for the first page,
// the fallback copy of a text box) says nothing more the second time.
class EvidenceCollector {
  public:
    // Counts a hit about to be made: false once kMaxHitsWeighed have been, when it is not worth
    // making.
    bool Weigh();
    void Add(EvidenceHit hit);
    std::vector<EvidenceHit> Take() { return std::move(hits_); }

  private:
    std::vector<EvidenceHit> hits_;
    std::size_t weighed_ = 0;
};

}  // namespace kalvor::scan
