#pragma once

#include <filesystem>

#include "scan/marking_verdict.h"

namespace kalvor::results {

// A document a search could not look into, or a folder it could not list, and why.
struct NotExaminedFile {
    std::filesystem::path path;
    scan::NotExaminedReason reason = scan::NotExaminedReason::None;
};

inline bool IsUnlistedFolder(const NotExaminedFile& entry) {
    return entry.reason == scan::NotExaminedReason::FolderNotListed;
}

}  // namespace kalvor::results
