#include "scan/evidence.h"

#include <algorithm>
#include <utility>

#include "scan/marking_grade.h"

namespace kalvor::scan {

namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// `text` as context: control characters (tabs, line breaks, Word's anchors and field marks) as
// spaces, and half a character (bytes that were never text) as U+FFFD, so that every output can
// write it.
std::u16string Shown(std::u16string_view text) {
    std::u16string shown(text);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] < 0x20) {
            shown[i] = u' ';
        } else if (IsHighSurrogate(shown[i]) && i + 1 < shown.size() &&
                   IsLowSurrogate(shown[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(shown[i]) || IsLowSurrogate(shown[i])) {
            shown[i] = u'\uFFFD';
        }
    }
    return shown;
}

// The last kContextUnits of `text`, never half a character.
std::u16string_view Tail(std::u16string_view text) {
    text = text.substr(text.size() - std::min(text.size(), kContextUnits));
    return !text.empty() && IsLowSurrogate(text.front()) ? text.substr(1) : text;
}

// The first kContextUnits of `text`, never half a character.
std::u16string_view Head(std::u16string_view text) {
    text = text.substr(0, kContextUnits);
    return !text.empty() && IsHighSurrogate(text.back()) ? text.substr(0, text.size() - 1) : text;
}

}  // namespace

EvidenceHit DescribeHit(const HitSurroundings& surroundings) {
    return {.marking = std::u16string(surroundings.marking),
            .before = Shown(Tail(surroundings.before)),
            .after = Shown(Head(surroundings.after)),
            .place = surroundings.place,
            .paragraph = surroundings.paragraph,
            .grade = marking::GradeOf(surroundings)};
}

EvidenceGrade DocumentGrade(const std::vector<EvidenceHit>& hits) {
    return hits.empty() ? EvidenceGrade::Unknown : hits.front().grade;
}

bool EvidenceCollector::Weigh() {
    if (weighed_ == kMaxHitsWeighed) {
        return false;
    }
    ++weighed_;
    return true;
}

void EvidenceCollector::Add(EvidenceHit hit) {
    if (std::find(hits_.begin(), hits_.end(), hit) != hits_.end()) {
        return;
    }
    const auto weaker = std::find_if(hits_.begin(), hits_.end(), [&](const EvidenceHit& kept) {
        return kept.grade > hit.grade;
    });
    hits_.insert(weaker, std::move(hit));
    if (hits_.size() > kMaxHits) {
        hits_.pop_back();
    }
}

}  // namespace kalvor::scan
