#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "scan/document_types.h"
#include "scan/not_examined_reason.h"
#include "scan/tree_walk.h"

namespace kalvor::results {

// Why a document was not examined, or why a folder could not be listed.
using NotSearchedReason = std::variant<scan::NotExaminedReason, scan::FolderNotListedReason>;

// A document a search could not look into, or a folder it could not list, and why.
struct NotExaminedFile {
    std::filesystem::path path;
    NotSearchedReason reason;
};

inline bool IsUnlistedFolder(const NotExaminedFile& entry) {
    return std::holds_alternative<scan::FolderNotListedReason>(entry.reason);
}

// Why, in a few words of UTF-8 for the window and the exported report.
std::string ReasonText(const NotExaminedFile& entry);

// What a search of `types` calls the documents it looks at, to follow "个" or "的" directly:
// " .doc 文件" while it looks at Word 97-2003 documents alone (a space sets the Latin word apart),
// else "文件".
QString DocumentsNoun(const scan::DocumentTypes& types);

// How many documents were not examined and how many folders not searched, leaving out a count
// of none ("3 个 .doc 文件未能检查，1 个文件夹未能搜索"); empty when there are neither.
QString NotSearchedCounts(const std::vector<NotExaminedFile>& entries,
                          const scan::DocumentTypes& types);

}  // namespace kalvor::results
