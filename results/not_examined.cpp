#include "results/not_examined.h"

namespace kalvor::results {

std::string ReasonText(const NotExaminedFile& entry) {
    if (const auto* folder = std::get_if<scan::FolderNotListedReason>(&entry.reason)) {
        // Said whole, since nothing below the folder was searched either.
        return "无法列出文件夹（" + std::string(scan::DescribeReason(*folder)) +
               "），其下内容均未搜索";
    }
    return std::string(scan::DescribeReason(std::get<scan::NotExaminedReason>(entry.reason)));
}

}  // namespace kalvor::results
