#include "scan/formats/word_text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kalvor::scan {

namespace {

constexpr std::string_view kWordNamespace =
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view kStrictWordNamespace =
    "http://purl.oclc.org/ooxml/wordprocessingml/main";

enum class Role {
    Other,      // markup only: runs, their properties, bookmarks, proofing marks, revisions
    Paragraph,  // starts and ends a paragraph
    Text,       // holds text: w:t, w:delText
    Tab,        // a tab character, except among tab stops
    TabStops,   // the tab stops of a paragraph's properties
    Break,      // stands for a character that is no text: a marking cannot run across it
};

// Sorted by name, for a binary search.
constexpr std::array<std::pair<std::string_view, Role>, 30> kRoles = {{
    {"annotationRef", Role::Break},
    {"br", Role::Break},
    {"commentReference", Role::Break},
    {"continuationSeparator", Role::Break},
    {"cr", Role::Break},
    {"dayLong", Role::Break},
    {"dayShort", Role::Break},
    {"delText", Role::Text},
    {"drawing", Role::Break},
    {"endnoteRef", Role::Break},
    {"endnoteReference", Role::Break},
    {"fldChar", Role::Break},
    {"footnoteRef", Role::Break},
    {"footnoteReference", Role::Break},
    {"monthLong", Role::Break},
    {"monthShort", Role::Break},
    {"noBreakHyphen", Role::Break},
    {"object", Role::Break},
    {"p", Role::Paragraph},
    {"pgNum", Role::Break},
    {"pict", Role::Break},
    {"ptab", Role::Break},
    {"separator", Role::Break},
    {"softHyphen", Role::Break},
    {"sym", Role::Break},
    {"t", Role::Text},
    {"tab", Role::Tab},
    {"tabs", Role::TabStops},
    {"yearLong", Role::Break},
    {"yearShort", Role::Break},
}};
static_assert(std::is_sorted(kRoles.begin(), kRoles.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; }));

Role RoleOf(std::string_view space, std::string_view local) {
    if (!IsWordNamespace(space)) {
        return Role::Other;
    }
    const auto found = std::lower_bound(
        kRoles.begin(), kRoles.end(), local,
        [](const auto& entry, std::string_view name) { return entry.first < name; });
    return found != kRoles.end() && found->first == local ? found->second : Role::Other;
}

}  // namespace

bool IsWordNamespace(std::string_view space) {
    return space == kWordNamespace || space == kStrictWordNamespace;
}

void WordText::StartElement(std::string_view space, std::string_view local,
                            const char** /*attributes*/) {
    if (!seenRoot_) {
        seenRoot_ = true;
        if (main_ && !(IsWordNamespace(space) && local == "document")) {
            notWordDocument_ = true;
            reader_.Stop();
            return;
        }
    }
    switch (RoleOf(space, local)) {
        case Role::Paragraph:
        case Role::Break:
            afterLead_ = false;
            break;
        case Role::Text:
            inText_ = true;
            break;
        case Role::Tab:
            if (!inTabStops_) {
                Character(U'\t');
            }
            break;
        case Role::TabStops:
            inTabStops_ = true;
            break;
        case Role::Other:
            break;
    }
}

void WordText::EndElement(std::string_view space, std::string_view local) {
    switch (RoleOf(space, local)) {
        case Role::Paragraph:
            afterLead_ = false;
            break;
        case Role::Text:
            inText_ = false;
            break;
        case Role::TabStops:
            inTabStops_ = false;
            break;
        case Role::Break:
        case Role::Tab:
        case Role::Other:
            break;
    }
}

void WordText::Text(std::string_view utf8) {
    if (!inText_) {
        return;
    }
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (continuations_ > 0 && (byte & 0xC0) == 0x80) {
            pending_ = (pending_ << 6) | (byte & 0x3F);
            if (--continuations_ == 0) {
                Character(pending_);
            }
            continue;
        }
        // Expat hands over well-formed UTF-8 only; a lead byte starts a character afresh.
        continuations_ = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
        pending_ = byte & (0x3F >> continuations_);
        if (continuations_ == 0) {
            Character(byte);
        }
    }
}

void WordText::Character(char32_t character) {
    if (observer_ != nullptr) {
        observer_->Character(character);
    } else if (found_) {
        return;
    }
    const bool bmp = character <= 0xFFFF;
    const auto unit = static_cast<char16_t>(character);
    if (afterLead_ && bmp && unit == marking::kMark) {
        found_ = true;
        if (observer_ == nullptr) {
            reader_.Stop();
            return;
        }
        observer_->MarkingEnds(markingCharacters_ + 1);
        afterLead_ = false;
    } else if (bmp && marking::IsLead(unit)) {
        afterLead_ = true;
        markingCharacters_ = 1;
    } else if (afterLead_ && bmp && marking::IsFiller(unit, rule_)) {
        ++markingCharacters_;
    } else {
        afterLead_ = false;
    }
}

}  // namespace kalvor::scan
