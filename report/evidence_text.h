#pragma once

#include <string_view>

#include "scan/evidence.h"

// The texts of a listed document's evidence, the same in the window, the export and kalvor-scan:
// short Chinese words for people, and stable English tokens for scripts.
namespace kalvor::report {

// "标志", "提及", "残留", "未能判断"; "marking", "mention", "residue", "unknown".
std::string_view DescribeGrade(scan::EvidenceGrade grade);
std::string_view GradeToken(scan::EvidenceGrade grade);

// "正文", "表格", "页眉页脚", "脚注", "尾注", "批注", "文本框", "残留", "未能定位"; "body",
// "table", "header-footer", "footnote", "endnote", "comment", "text-box", "residue", "unknown".
std::string_view DescribePlace(scan::EvidencePlace place);
std::string_view PlaceToken(scan::EvidencePlace place);

}  // namespace kalvor::report
