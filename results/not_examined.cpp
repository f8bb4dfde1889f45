#include "results/not_examined.h"

#include <QStringList>
#include <algorithm>
#include <iterator>

#include "report/reason_texts.h"

namespace kalvor::results {

std::string ReasonText(const NotExaminedFile& entry) {
    if (const auto* folder = std::get_if<scan::FolderNotListedReason>(&entry.reason)) {
        return report::FolderNotListedNote(*folder);
    }
    return std::string(report::ReasonDescription(std::get<scan::NotExaminedReason>(entry.reason)));
}

QString DocumentsNoun(const scan::DocumentTypes& types) {
    return types == scan::DocumentTypes() ? QStringLiteral(" .doc 文件") : QStringLiteral("文件");
}

QString NotSearchedCounts(const std::vector<NotExaminedFile>& entries,
                          const scan::DocumentTypes& types) {
    const auto folders = std::count_if(entries.begin(), entries.end(), IsUnlistedFolder);
    const auto documents = std::ssize(entries) - folders;
    QStringList parts;
    if (documents > 0) {
        parts << QStringLiteral("%1 个%2未能检查").arg(documents).arg(DocumentsNoun(types));
    }
    if (folders > 0) {
        parts << QStringLiteral("%1 个文件夹未能搜索").arg(folders);
    }
    return parts.join(QStringLiteral("，"));
}

}  // namespace kalvor::results
