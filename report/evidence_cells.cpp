#include "report/evidence_cells.h"

#include "platform/utf8.h"
#include "report/evidence_text.h"

namespace kalvor::report {

std::array<std::string, 3> EvidenceCells(const std::vector<scan::EvidenceHit>& hits,
                                         EvidenceWording wording) {
    if (hits.empty()) {
        return {};
    }
    const scan::EvidenceHit& first = hits.front();
    const scan::EvidenceGrade grade = scan::DocumentGrade(hits);
    const bool tokens = wording == EvidenceWording::Tokens;
    return {std::string(tokens ? GradeToken(grade) : DescribeGrade(grade)),
            std::string(tokens ? PlaceToken(first.place) : DescribePlace(first.place)),
            platform::Utf16ToUtf8(first.before) + std::string(kMarkingOpen) +
                platform::Utf16ToUtf8(first.marking) + std::string(kMarkingClose) +
                platform::Utf16ToUtf8(first.after)};
}

}  // namespace kalvor::report
