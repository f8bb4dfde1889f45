#include "scan/marking_grade.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace kalvor::scan::marking {

namespace {

constexpr std::array<char16_t, 3> kStars = {u'★', u'☆', u'＊'};
// Periods that are no count of years or months.
constexpr std::array<std::u16string_view, 2> kNamedPeriods = {u"长期", u"启用前"};
// The units a counted period is made of: "10年", "6个月", "2025年12月31日".
constexpr std::array<std::u16string_view, 5> kPeriodUnits = {u"年", u"个月", u"月", u"日", u"天"};

bool IsDigit(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || (unit >= u'０' && unit <= u'９');
}

class Cursor {
  public:
    Cursor(std::u16string_view text, bool toEnd) : text_(text), toEnd_(toEnd) {}

    void SkipBlanks() {
        while (at_ < text_.size() && IsBlank(text_[at_])) {
            ++at_;
        }
    }
    // Whether nothing more stands on the line: a line break, or the paragraph's end.
    bool AtLineEnd() const { return at_ < text_.size() ? text_[at_] == kLineBreak : toEnd_; }
    bool Take(std::u16string_view word) {
        if (text_.substr(at_).starts_with(word)) {
            at_ += word.size();
            return true;
        }
        return false;
    }
    bool TakeAnyOf(std::span<const std::u16string_view> words) {
        return std::any_of(words.begin(), words.end(), [&](auto word) { return Take(word); });
    }
    bool TakeStar() {
        if (at_ < text_.size() &&
            std::find(kStars.begin(), kStars.end(), text_[at_]) != kStars.end()) {
            ++at_;
            return true;
        }
        return false;
    }
    bool TakeDigits() {
        const std::size_t from = at_;
        while (at_ < text_.size() && IsDigit(text_[at_])) {
            ++at_;
        }
        return at_ > from;
    }

  private:
    std::u16string_view text_;
    bool toEnd_;
    std::size_t at_ = 0;
};

bool TakePeriod(Cursor& cursor) {
    if (cursor.TakeAnyOf(kNamedPeriods)) {
        return true;
    }
    bool counted = false;
    while (cursor.TakeDigits()) {
        cursor.SkipBlanks();
        if (!cursor.TakeAnyOf(kPeriodUnits)) {
            return false;
        }
        counted = true;
    }
    return counted;
}

bool BeginsLine(std::u16string_view before, bool fromStart) {
    const auto last =
        std::find_if(before.rbegin(), before.rend(), [](char16_t unit) { return !IsBlank(unit); });
    return last == before.rend() ? fromStart : *last == kLineBreak;
}

bool EndsLine(std::u16string_view after, bool toEnd) {
    Cursor cursor(after, toEnd);
    cursor.SkipBlanks();
    if (cursor.AtLineEnd()) {
        return true;
    }
    if (!cursor.TakeStar()) {
        return false;
    }
    cursor.SkipBlanks();
    if (!TakePeriod(cursor)) {
        return false;
    }
    cursor.SkipBlanks();
    return cursor.AtLineEnd();
}

bool WhereOfficialDocumentsMark(EvidencePlace place, std::optional<std::uint32_t> paragraph) {
    switch (place) {
        case EvidencePlace::HeaderFooter:
            return true;
        case EvidencePlace::Body:
        case EvidencePlace::Table:
            return paragraph.has_value() && *paragraph < kHeadParagraphs;
        default:
            return false;
    }
}

}  // namespace

EvidenceGrade GradeOf(const HitSurroundings& hit) {
    switch (hit.place) {
        case EvidencePlace::Residue:
            return EvidenceGrade::Residue;
        case EvidencePlace::Unknown:
            return EvidenceGrade::Unknown;
        default:
            break;
    }
    const bool alone =
        BeginsLine(hit.before, hit.beforeFromStart) && EndsLine(hit.after, hit.afterToEnd);
    return alone && WhereOfficialDocumentsMark(hit.place, hit.paragraph) ? EvidenceGrade::Marking
                                                                         : EvidenceGrade::Mention;
}

}  // namespace kalvor::scan::marking
