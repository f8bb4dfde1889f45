#include "scan/document_open.h"

namespace kalvor::scan {

namespace {

FileRefusal RefusalOf(platform::OpenOutcome outcome, const std::filesystem::path& path) {
    switch (outcome) {
        case platform::OpenOutcome::Missing:
            return platform::IsPathTooLong(path) ? FileRefusal::PathTooLong
                                                 : FileRefusal::Unreadable;
        case platform::OpenOutcome::DanglingLink:
            return FileRefusal::DanglingLink;
        case platform::OpenOutcome::NotRegularFile:
            return FileRefusal::NotRegularFile;
        case platform::OpenOutcome::ReadOnly:
            return FileRefusal::ReadOnly;
        case platform::OpenOutcome::Locked:
            return FileRefusal::Locked;
        case platform::OpenOutcome::Unreadable:
        case platform::OpenOutcome::Opened:  // yet no file: nothing could be read
            return FileRefusal::Unreadable;
    }
    return FileRefusal::Unreadable;
}

}  // namespace

OpenedDocument OpenDocument(const std::filesystem::path& path, platform::ListedAs listed,
                            platform::DiskReadSigns* signs, platform::IncludedAccess include,
                            const platform::OpenedFolder* folder) {
    if (listed == platform::ListedAs::StatusUnknown) {
        return {.file = nullptr, .refusal = FileRefusal::Unreadable};
    }
    platform::OpenedFile opened =
        platform::ExclusiveFile::Open(path, listed, signs, include, folder);
    if (opened.file == nullptr) {
        return {.file = nullptr, .refusal = RefusalOf(opened.outcome, path)};
    }
    return {.file = std::move(opened.file)};
}

Examination AsRead(Examination examination, bool changedWhileRead, platform::FileAccess access) {
    if (changedWhileRead && examination.verdict != MarkingVerdict::Marked) {
        examination = NotExamined(FileRefusal::ChangedWhileRead);
    }
    examination.access = access;
    return examination;
}

}  // namespace kalvor::scan
