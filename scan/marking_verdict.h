#pragma once

#include <optional>

#include "scan/not_examined_reason.h"

namespace kalvor::scan {

enum class MarkingVerdict : int {
    NotMarked = 0,
    Marked = 1,
    NotExamined = 2,
};

struct Examination {
    MarkingVerdict verdict = MarkingVerdict::NotExamined;
    std::optional<NotExaminedReason> reason = std::nullopt;  // exactly when NotExamined
};

}  // namespace kalvor::scan
