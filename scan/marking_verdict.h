#pragma once

#include <optional>
#include <vector>

#include "platform/file_access.h"
#include "platform/file_description.h"
#include "platform/file_identity.h"
#include "scan/evidence.h"
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
    // The file examined, as it told while it was open; nothing when it was not opened or would
    // not tell. Only a listing that tells none for a file makes a row need it.
    std::optional<platform::FileIdentity> fileIdentity = std::nullopt;
    // Its size and stamps as it told when it was opened, for a row whose listing left them out.
    std::optional<platform::FileDescription> fileDescription = std::nullopt;
    // The folder a Marked document was found in, for its row; nothing when it could not be asked.
    std::optional<platform::FileIdentity> folderIdentity = std::nullopt;
    // Asked for, for a Marked document: its hits, strongest first. Never weighs on the verdict.
    std::vector<EvidenceHit> evidence{};
    // How it was read: read-only or in use only where the user included such documents.
    platform::FileAccess access = platform::FileAccess::Ordinary;
};

}  // namespace kalvor::scan
