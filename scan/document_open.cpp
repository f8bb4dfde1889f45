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
                            platform::DiskReadSigns* signs) {
    if (listed == platform::ListedAs::StatusUnknown) {
        return {.file = nullptr, .reason = NotExaminedReason::Unreadable};
    }
    platform::OpenedFile opened = platform::ExclusiveFile::Open(path, listed, signs);
    return {.file = std::move(opened.file), .reason = ReasonForRefusal(opened.outcome, path)};
}

}  // namespace kalvor::scan
