#include "report/evidence_text.h"

namespace kalvor::report {

namespace {

struct Texts {
    std::string_view description;
    std::string_view token;
};

Texts TextsOf(scan::EvidenceGrade grade) {
    switch (grade) {
        case scan::EvidenceGrade::Marking:
            return {"标志", "marking"};
        case scan::EvidenceGrade::Mention:
            return {"提及", "mention"};
        case scan::EvidenceGrade::Residue:
            return {"残留", "residue"};
        case scan::EvidenceGrade::Unknown:
            return {"未能判断", "unknown"};
    }
    return {"未能判断", "unknown"};
}

Texts TextsOf(scan::EvidencePlace place) {
    switch (place) {
        case scan::EvidencePlace::Body:
            return {"正文", "body"};
        case scan::EvidencePlace::Table:
            return {"表格", "table"};
        case scan::EvidencePlace::HeaderFooter:
            return {"页眉页脚", "header-footer"};
        case scan::EvidencePlace::Footnote:
            return {"脚注", "footnote"};
        case scan::EvidencePlace::Endnote:
            return {"尾注", "endnote"};
        case scan::EvidencePlace::Comment:
            return {"批注", "comment"};
        case scan::EvidencePlace::TextBox:
            return {"文本框", "text-box"};
        case scan::EvidencePlace::Residue:
            return {"残留", "residue"};
        case scan::EvidencePlace::Unknown:
            return {"未能定位", "unknown"};
    }
    return {"未能定位", "unknown"};
}

}  // namespace

std::string_view DescribeGrade(scan::EvidenceGrade grade) {
    return TextsOf(grade).description;
}

std::string_view GradeToken(scan::EvidenceGrade grade) {
    return TextsOf(grade).token;
}

std::string_view DescribePlace(scan::EvidencePlace place) {
    return TextsOf(place).description;
}

std::string_view PlaceToken(scan::EvidencePlace place) {
    return TextsOf(place).token;
}

}  // namespace kalvor::report
