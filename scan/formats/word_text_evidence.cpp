#include "scan/formats/word_text_evidence.h"

#include <algorithm>
#include <array>
#include <utility>

#include "scan/marking_grade.h"

namespace kalvor::scan {

namespace {

// Paragraphs within paragraphs (a text box in its anchor's, one in a table in another) kept
// apart; real documents nest two or three.
constexpr std::size_t kMaxNesting = 8;

// The place of a part's text, by its root element.
constexpr std::array<std::pair<std::string_view, EvidencePlace>, 6> kPartPlaces = {{
    {"document", EvidencePlace::Body},
    {"hdr", EvidencePlace::HeaderFooter},
    {"ftr", EvidencePlace::HeaderFooter},
    {"footnotes", EvidencePlace::Footnote},
    {"endnotes", EvidencePlace::Endnote},
    {"comments", EvidencePlace::Comment},
}};

EvidencePlace PartPlace(std::string_view space, std::string_view root) {
    const auto found = std::find_if(kPartPlaces.begin(), kPartPlaces.end(),
                                    [&](const auto& entry) { return entry.first == root; });
    return IsWordNamespace(space) && found != kPartPlaces.end() ? found->second
                                                                : EvidencePlace::Unknown;
}

}  // namespace

void WordTextEvidence::StartElement(std::string_view space, std::string_view local,
                                    const char** attributes) {
    if (!partPlace_.has_value()) {
        partPlace_ = PartPlace(space, local);
    } else if (IsWordNamespace(space)) {
        if (local == "p") {
            OpenParagraphHere();
        } else if (local == "tbl") {
            ++tables_;
        } else if (local == "txbxContent") {
            ++textBoxes_;
        } else if (local == "delText") {
            inDeletedText_ = true;
        } else if (local == "br" || local == "cr") {
            Unit(marking::kLineBreak);
        }
    }
    text_.StartElement(space, local, attributes);
}

void WordTextEvidence::EndElement(std::string_view space, std::string_view local) {
    text_.EndElement(space, local);
    if (!IsWordNamespace(space)) {
        return;
    }
    if (local == "p") {
        CloseParagraph();
    } else if (local == "tbl") {
        tables_ -= tables_ > 0 ? 1 : 0;
    } else if (local == "txbxContent") {
        textBoxes_ -= textBoxes_ > 0 ? 1 : 0;
    } else if (local == "delText") {
        inDeletedText_ = false;
    }
}

void WordTextEvidence::Text(std::string_view utf8) {
    text_.Text(utf8);
}

void WordTextEvidence::Finish() {
    while (!paragraphs_.empty()) {
        SettlePending(paragraphs_.back(), /*toEnd=*/false);
        paragraphs_.pop_back();
    }
}

void WordTextEvidence::Character(char32_t character) {
    if (character > 0xFFFF) {
        Unit(static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10)));
        Unit(static_cast<char16_t>(0xDC00 + ((character - 0x10000) & 0x3FF)));
    } else {
        Unit(static_cast<char16_t>(character));
    }
}

void WordTextEvidence::Unit(char16_t unit) {
    if (paragraphs_.empty()) {
        OpenLooseText();
    }
    OpenParagraph& paragraph = paragraphs_.back();
    paragraph.recent.push_back(unit);
    ++paragraph.units;
    if (inDeletedText_) {
        paragraph.deletedTo = paragraph.units;
    }
    paragraph.holdsText = paragraph.holdsText || marking::HoldsText(unit);
    std::erase_if(paragraph.pending, [&](Pending& hit) {
        if (hit.after.size() < kSurroundingUnits) {
            hit.after.push_back(unit);
            return false;
        }
        Settle(hit, /*toEnd=*/false);
        return true;
    });
    // Enough for the context of a marking that may still end here, its lead among them.
    const std::size_t keep = kSurroundingUnits + text_.OpenMarking() + 1;
    if (paragraph.recent.size() > 2 * keep) {
        paragraph.recent.erase(0, paragraph.recent.size() - keep);
    }
}

void WordTextEvidence::MarkingEnds(std::size_t characters) {
    if (paragraphs_.empty() || paragraphs_.back().recent.size() < characters ||
        !collector_.Weigh()) {
        return;
    }
    OpenParagraph& paragraph = paragraphs_.back();
    const std::size_t start = paragraph.recent.size() - characters;
    const std::size_t before = std::min(kSurroundingUnits, start);
    const bool deleted = paragraph.deletedTo > paragraph.units - characters;
    paragraph.pending.push_back({.before = paragraph.recent.substr(start - before, before),
                                 .marking = paragraph.recent.substr(start),
                                 .fromStart = paragraph.units - characters == before,
                                 .place = deleted ? EvidencePlace::Residue : paragraph.place,
                                 .paragraph = paragraph.counted && !deleted
                                                  ? std::optional(bodyParagraphs_)
                                                  : std::nullopt});
}

// Text no paragraph holds (a damaged or hand-made part) is read by the marking rule all the same,
// so a marking in it is evidence too: it stands in a paragraph of its own, which the next
// paragraph's start or end closes.
void WordTextEvidence::OpenLooseText() {
    OpenParagraph& loose = paragraphs_.emplace_back();
    loose.place = partPlace_.value_or(EvidencePlace::Unknown);
    loose.loose = true;
}

void WordTextEvidence::CloseLooseText() {
    if (!paragraphs_.empty() && paragraphs_.back().loose) {
        SettlePending(paragraphs_.back(), /*toEnd=*/false);
        paragraphs_.pop_back();
    }
}

void WordTextEvidence::OpenParagraphHere() {
    CloseLooseText();
    if (paragraphs_.size() == kMaxNesting) {
        ++uncounted_;
        return;
    }
    const EvidencePlace part = partPlace_.value_or(EvidencePlace::Unknown);
    OpenParagraph& paragraph = paragraphs_.emplace_back();
    paragraph.place = textBoxes_ > 0                               ? EvidencePlace::TextBox
                      : part == EvidencePlace::Body && tables_ > 0 ? EvidencePlace::Table
                                                                   : part;
    paragraph.counted = part == EvidencePlace::Body && textBoxes_ == 0;
}

void WordTextEvidence::CloseParagraph() {
    CloseLooseText();
    if (uncounted_ > 0) {
        --uncounted_;
        return;
    }
    if (paragraphs_.empty()) {
        return;
    }
    OpenParagraph& paragraph = paragraphs_.back();
    SettlePending(paragraph, /*toEnd=*/true);
    if (paragraph.counted && paragraph.holdsText) {
        ++bodyParagraphs_;
    }
    paragraphs_.pop_back();
}

void WordTextEvidence::SettlePending(OpenParagraph& paragraph, bool toEnd) {
    for (Pending& hit : paragraph.pending) {
        Settle(hit, toEnd);
    }
}

void WordTextEvidence::Settle(Pending& hit, bool toEnd) {
    collector_.Add(DescribeHit({.before = hit.before,
                                .marking = hit.marking,
                                .after = hit.after,
                                .beforeFromStart = hit.fromStart,
                                .afterToEnd = toEnd,
                                .place = hit.place,
                                .paragraph = hit.paragraph}));
}

}  // namespace kalvor::scan
