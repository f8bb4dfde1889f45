#pragma once

#include <filesystem>

#include "scan/marking_verdict.h"

namespace kalvor::results {

// A document a search could not look into, and why.
struct NotExaminedFile {
    std::filesystem::path path;
    scan::NotExaminedReason reason = scan::NotExaminedReason::None;
};

}  // namespace kalvor::results
