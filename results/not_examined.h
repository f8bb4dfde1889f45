#pragma once

#include <filesystem>
#include <string>
#include <variant>

#include "scan/marking_verdict.h"

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

}  // namespace kalvor::results
