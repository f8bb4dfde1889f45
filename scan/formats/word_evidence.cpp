#include "scan/formats/word_evidence.h"

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "cfb/layout.h"
#include "scan/formats/word_fib.h"
#include "scan/formats/word_pieces.h"
#include "scan/mark_pair.h"
#include "scan/marking_grade.h"

namespace kalvor::scan {

namespace {

// A marking in the stream's bytes: its lead and its 密, byte offsets of UTF-16LE units.
struct RawHit {
    std::uint32_t lead = 0;
    std::uint32_t mark = 0;

    std::size_t Units() const { return (mark - lead) / 2 + 1; }
};

// A marking in the document's text, at the character positions [lead, lead + units).
struct TextHit {
    std::size_t raw = 0;  // which RawHit
    std::uint32_t lead = 0;
    word::TextLayout::Placed story{};
};

// Paragraph ends in Word's text: a paragraph mark, a cell or row end, a page or section break.
bool EndsParagraph(char16_t unit) {
    return unit == u'\r' || unit == 0x07 || unit == 0x0C;
}

constexpr char16_t kCellEnd = 0x07;

std::vector<RawHit> FindRawHits(std::span<const std::uint8_t> stream, marking::MatchRule rule) {
    std::vector<RawHit> hits;
    const auto length = static_cast<std::uint32_t>(stream.size());
    for (std::optional<std::uint32_t> mark = FindMarkingFrom(stream.data(), length, 0, rule);
         mark.has_value() && hits.size() < kMaxHitsWeighed;
         mark = FindMarkingFrom(stream.data(), length, *mark + 2, rule)) {
        hits.push_back({*MarkingLeadAt(stream.data(), *mark, rule), *mark});
    }
    return hits;
}

char16_t UnitAt(std::span<const std::uint8_t> stream, std::size_t offset) {
    return cfb::LoadRecord<cfb::ulittle16_t>(stream, offset).Value();
}

std::u16string UnitsOf(std::span<const std::uint8_t> stream, const RawHit& hit) {
    std::u16string units;
    for (std::uint32_t at = hit.lead; at <= hit.mark; at += 2) {
        units.push_back(UnitAt(stream, at));
    }
    return units;
}

// What stands around a marking in its paragraph, up to kSurroundingUnits on either side.
struct Paragraph {
    std::u16string before;
    std::u16string after;
    bool fromStart = false;
    bool toEnd = false;

    HitSurroundings Surroundings(std::u16string_view marking, EvidencePlace place,
                                 std::optional<std::uint32_t> paragraph) const {
        return {.before = before,
                .marking = marking,
                .after = after,
                .beforeFromStart = fromStart,
                .afterToEnd = toEnd,
                .place = place,
                .paragraph = paragraph};
    }
};

// Reads from `at`, which gives the character `i` places from a marking's lead (negative in front
// of it), nothing beyond the text, up to a paragraph's end on the side `step` goes to; `text`
// gets what it reads in that order. Whether it reached the paragraph's end.
template <typename At>
bool ReadToParagraphEnd(At& at, std::int64_t from, std::int64_t step, std::u16string& text) {
    for (std::int64_t i = from;; i += step) {
        const std::optional<char16_t> unit = at(i);
        if (!unit.has_value() || EndsParagraph(*unit)) {
            return true;
        }
        if (text.size() == kSurroundingUnits) {
            return false;
        }
        text.push_back(*unit);
    }
}

template <typename At>
Paragraph ParagraphAround(At at, std::size_t markingUnits) {
    Paragraph paragraph;
    paragraph.fromStart = ReadToParagraphEnd(at, -1, -1, paragraph.before);
    std::reverse(paragraph.before.begin(), paragraph.before.end());
    paragraph.toEnd =
        ReadToParagraphEnd(at, static_cast<std::int64_t>(markingUnits), 1, paragraph.after);
    return paragraph;
}

// A hit in no text the document shows (or not placed at all): the units around it in the
// stream's bytes, at its alignment, as context.
EvidenceHit DescribeInBytes(std::span<const std::uint8_t> stream, const RawHit& hit,
                            EvidencePlace place) {
    const std::u16string marking = UnitsOf(stream, hit);
    const auto at = [&](std::int64_t i) -> std::optional<char16_t> {
        const std::int64_t offset = std::int64_t{hit.lead} + i * 2;
        if (offset < 0 || offset + 1 >= static_cast<std::int64_t>(stream.size())) {
            return std::nullopt;
        }
        // Zeros fill what no text takes: no character of a paragraph.
        const char16_t unit = UnitAt(stream, static_cast<std::size_t>(offset));
        return unit != 0 ? std::optional(unit) : std::nullopt;
    };
    return DescribeHit(
        ParagraphAround(at, marking.size()).Surroundings(marking, place, std::nullopt));
}

std::vector<EvidenceHit> Unplaced(std::span<const std::uint8_t> stream,
                                  const std::vector<RawHit>& hits) {
    EvidenceCollector collector;
    for (const RawHit& hit : hits) {
        collector.Add(DescribeInBytes(stream, hit, EvidencePlace::Unknown));
    }
    return collector.Take();
}

EvidencePlace PlaceOf(word::Story story) {
    switch (story) {
        case word::Story::Main:
            return EvidencePlace::Body;
        case word::Story::Footnotes:
            return EvidencePlace::Footnote;
        case word::Story::HeadersFooters:
            return EvidencePlace::HeaderFooter;
        case word::Story::Comments:
            return EvidencePlace::Comment;
        case word::Story::Endnotes:
            return EvidencePlace::Endnote;
        case word::Story::TextBoxes:
        case word::Story::HeaderTextBoxes:
            return EvidencePlace::TextBox;
    }
    return EvidencePlace::Unknown;
}

// The raw hits that stand in the text, each as a whole: its lead and its 密 in one story, as many
// characters apart as bytes show. Sorted by position.
std::vector<TextHit> PlaceInText(const std::vector<RawHit>& hits, const word::PieceTable& pieces,
                                 const word::TextLayout& layout) {
    std::vector<std::uint32_t> offsets;
    offsets.reserve(hits.size() * 2);
    for (const RawHit& hit : hits) {
        offsets.push_back(hit.lead);
        offsets.push_back(hit.mark);
    }
    const std::vector<std::optional<std::uint32_t>> placed = pieces.Place(offsets);
    std::vector<TextHit> inText;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        const std::optional<std::uint32_t> lead = placed[i * 2];
        const std::optional<std::uint32_t> mark = placed[i * 2 + 1];
        if (!lead.has_value() || !mark.has_value() || *mark < *lead ||
            *mark - *lead + 1 != hits[i].Units()) {
            continue;
        }
        const std::optional<word::TextLayout::Placed> story = layout.StoryAt(*lead);
        if (story.has_value() && *mark < story->end) {
            inText.push_back({i, *lead, *story});
        }
    }
    std::sort(inText.begin(), inText.end(),
              [](const TextHit& a, const TextHit& b) { return a.lead < b.lead; });
    return inText;
}

// Goes once through the main text, in step with the hits in it (by position): which of the
// paragraphs holding text each stands in, and whether that paragraph is a table cell's.
class MainTextWalk {
  public:
    explicit MainTextWalk(word::PieceTable& pieces) : pieces_(pieces) {}

    // The paragraph at `cp`, at or after the one asked for before.
    std::uint32_t ParagraphAt(std::uint32_t cp) {
        if (counted_ < cp) {
            counted_ = pieces_.VisitCharacters(counted_, cp, [&](char16_t unit) {
                if (EndsParagraph(unit)) {
                    paragraphs_ += holdsText_ ? 1 : 0;
                    holdsText_ = false;
                } else if (!holdsText_ && marking::HoldsText(unit)) {
                    holdsText_ = true;
                }
                return true;
            });
        }
        return paragraphs_;
    }

    // Whether the paragraph at `cp` ends in a cell mark, at or after the one asked for before.
    bool InTableCell(std::uint32_t cp, std::uint64_t storyEnd) {
        if (cp < end_) {
            return endUnit_ == kCellEnd;
        }
        endUnit_ = 0;
        const auto to = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(storyEnd, std::numeric_limits<std::uint32_t>::max()));
        end_ = pieces_.VisitCharacters(cp, to, [&](char16_t unit) {
            if (EndsParagraph(unit)) {
                endUnit_ = unit;
                return false;
            }
            return true;
        });
        return endUnit_ == kCellEnd;
    }

  private:
    word::PieceTable& pieces_;
    std::uint32_t counted_ = 0;     // characters looked at for ParagraphAt
    std::uint32_t paragraphs_ = 0;  // paragraphs holding text before counted_
    bool holdsText_ = false;        // the paragraph at counted_ holds text so far
    std::uint64_t end_ = 0;         // where the paragraph last looked for by InTableCell ends
    char16_t endUnit_ = 0;
};

std::vector<EvidenceHit> Placed(std::span<const std::uint8_t> stream,
                                const std::vector<RawHit>& hits, word::PieceTable& pieces,
                                const word::TextLayout& layout) {
    std::vector<std::optional<EvidenceHit>> described(hits.size());
    MainTextWalk walk(pieces);
    for (const TextHit& hit : PlaceInText(hits, pieces, layout)) {
        const std::u16string marking = UnitsOf(stream, hits[hit.raw]);
        EvidencePlace place = PlaceOf(hit.story.story);
        std::optional<std::uint32_t> paragraph;
        if (hit.story.story == word::Story::Main) {
            paragraph = walk.ParagraphAt(hit.lead);
            if (walk.InTableCell(hit.lead, hit.story.end)) {
                place = EvidencePlace::Table;
            }
        }
        const auto at = [&](std::int64_t i) -> std::optional<char16_t> {
            const std::int64_t cp = std::int64_t{hit.lead} + i;
            if (cp < static_cast<std::int64_t>(hit.story.start) ||
                cp >= static_cast<std::int64_t>(hit.story.end)) {
                return std::nullopt;
            }
            return pieces.CharacterAt(static_cast<std::uint32_t>(cp));
        };
        described[hit.raw] = DescribeHit(
            ParagraphAround(at, marking.size()).Surroundings(marking, place, paragraph));
    }
    EvidenceCollector collector;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        collector.Add(described[i].has_value()
                          ? std::move(*described[i])
                          : DescribeInBytes(stream, hits[i], EvidencePlace::Residue));
    }
    return collector.Take();
}

}  // namespace

std::vector<EvidenceHit> WordEvidenceReader::Collect(cfb::ByteSource& file,
                                                     std::span<const std::uint8_t> stream,
                                                     marking::MatchRule rule) {
    std::vector<RawHit> hits;
    try {
        hits = FindRawHits(stream, rule);
        const std::optional<word::TextLayout> layout = word::ReadTextLayout(stream);
        if (layout.has_value() && !word::IsEncrypted(stream.data(), stream.size())) {
            const cfb::StreamView table =
                tables_.Read(file, layout->tableOne ? u"1Table" : u"0Table");
            if (table.status.Ok() && layout->clxOffset <= table.image.size() &&
                layout->clxLength <= table.image.size() - layout->clxOffset) {
                std::optional<word::PieceTable> pieces = word::PieceTable::Read(
                    table.image.subspan(layout->clxOffset, layout->clxLength), stream);
                if (pieces.has_value()) {
                    return Placed(stream, hits, *pieces, *layout);
                }
            }
        }
        return Unplaced(stream, hits);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    // Without the memory to place them, the hits are told as they stand, if even that can be had.
    try {
        return Unplaced(stream, hits);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

void WordEvidenceReader::ReleaseMemoryAfter(const Examination& examination) {
    scan::ReleaseMemoryAfter(examination, tables_);
}

}  // namespace kalvor::scan
