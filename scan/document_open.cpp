#include "scan/document_open.h"

namespace kalvor::scan {

namespace {

NotExaminedReason ReasonForRefusal(platform::OpenOutcome outcome,
                                   const std::filesystem::path& path) {
    switch (outcome) {
        case platform::OpenOutcome::Opened:
            return NotExaminedReason::None;
        case platform::OpenOutcome::Missing:
            return platform::IsPathTooLong(path) ? NotExaminedReason::PathTooLong
                                                 : NotExaminedReason::Unreadable;
        case platform::OpenOutcome::DanglingLink:
            return NotExaminedReason::DanglingLink;
        case platform::OpenOutcome::NotRegularFile:
            return NotExaminedReason::NotRegularFile;
        case platform::OpenOutcome::ReadOnly:
            return NotExaminedReason::ReadOnly;
        case platform::OpenOutcome::Locked:
            return NotExaminedReason::Locked;
        case platform::OpenOutcome::Unreadable:
            return NotExaminedReason::Unreadable;
    }
    return NotExaminedReason::Unreadable;
}

}  // namespace

OpenedDocument OpenDocument(const std::filesystem::path& path, platform::ListedAs listed,
                            platform::DiskReadSigns* signs, platform::IncludedAccess include) {
    if (listed == platform::ListedAs::StatusUnknown) {
        return {.file = nullptr, .reason = NotExaminedReason::Unreadable};
    }
    platform::OpenedFile opened = platform::ExclusiveFile::Open(path, listed, signs, include);
    return {.file = std::move(opened.file), .reason = ReasonForRefusal(opened.outcome, path)};
}

Examination AsRead(Examination examination, bool changedWhileRead, platform::FileAccess access) {
    if (changedWhileRead && examination.verdict != MarkingVerdict::Marked) {
        examination = NotExamined(NotExaminedReason::ChangedWhileRead);
    }
    examination.access = access;
    return examination;
}

}  // namespace kalvor::scan
