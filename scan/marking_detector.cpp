#include "scan/marking_detector.h"

#include <limits.h>

#include <memory>
#include <new>
#include <stdexcept>

#include "platform/compound_file.h"
#include "platform/exclusive_file.h"
#include "scan/mark_pair.h"
#include "scan/marking_rule.h"

namespace kalvor::scan {

namespace {

// A walk keeps its reader's memory between documents; one huge stream should not pin its memory
// for the rest of the walk.
constexpr std::size_t kMemoryKeptBetweenDocuments = 64 * 1024 * 1024;

NotExaminedReason ReasonForRefusal(platform::OpenOutcome outcome,
                                   const std::filesystem::path& path) {
    switch (outcome) {
        case platform::OpenOutcome::Opened:
            return NotExaminedReason::None;
        case platform::OpenOutcome::Missing:
            return path.native().size() >= PATH_MAX ? NotExaminedReason::PathTooLong
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

NotExaminedReason ReasonForReadResult(platform::StreamReadResult result) {
    switch (result) {
        case platform::StreamReadResult::Read:
            return NotExaminedReason::None;
        case platform::StreamReadResult::NotCompoundFile:
            return NotExaminedReason::NotCompoundFile;
        case platform::StreamReadResult::StreamNotFound:
            return NotExaminedReason::NoWordDocumentStream;
        case platform::StreamReadResult::StreamTooLarge:
            return NotExaminedReason::StreamTooLarge;
        case platform::StreamReadResult::StructureTooLarge:
            return NotExaminedReason::StructureTooLarge;
    }
    return NotExaminedReason::NotCompoundFile;
}

Examination NotExamined(NotExaminedReason reason) {
    return {MarkingVerdict::NotExamined, reason};
}

}  // namespace

StreamStatus ReadWordDocumentStream(const std::filesystem::path& path,
                                    platform::RootStreamReader& reader,
                                    std::span<const std::uint8_t>& image, NotExaminedReason& reason,
                                    platform::ListedAs listed) {
    image = {};
    if (listed == platform::ListedAs::StatusUnknown) {
        reason = NotExaminedReason::Unreadable;
        return StreamStatus::Failed;
    }
    platform::OpenOutcome outcome = platform::OpenOutcome::Unreadable;
    const std::unique_ptr<platform::ExclusiveFile> file =
        platform::ExclusiveFile::Open(path, outcome, listed);
    if (file == nullptr) {
        reason = ReasonForRefusal(outcome, path);
        return StreamStatus::Failed;
    }
    reason = ReasonForReadResult(reader.Read(*file, u"WordDocument", image));
    return reason == NotExaminedReason::None ? StreamStatus::Read : StreamStatus::Failed;
}

Examination CheckStreamImage(const std::uint8_t* image, std::uint32_t length) {
    if (length <= marking::kVersionByteOffset) {
        return NotExamined(NotExaminedReason::TooShort);
    }
    if (!marking::IsAcceptedVersion(image[marking::kVersionByteOffset])) {
        return NotExamined(NotExaminedReason::UnsupportedVersion);
    }
    if (FindMarking(image, length).has_value()) {
        return {MarkingVerdict::Marked, NotExaminedReason::None};
    }
    return {MarkingVerdict::NotMarked, NotExaminedReason::None};
}

Examination ExamineDocument(const std::filesystem::path& path, platform::RootStreamReader& reader,
                            platform::ListedAs listed) {
    Examination examination;
    try {
        NotExaminedReason reason = NotExaminedReason::None;
        std::span<const std::uint8_t> image;
        examination =
            ReadWordDocumentStream(path, reader, image, reason, listed) == StreamStatus::Read
                ? CheckStreamImage(image.data(), static_cast<std::uint32_t>(image.size()))
                : NotExamined(reason);
    } catch (const std::bad_alloc&) {
        examination = NotExamined(NotExaminedReason::OutOfMemory);
    } catch (const std::length_error&) {
        // A size beyond what a container can hold: memory that cannot be had either.
        examination = NotExamined(NotExaminedReason::OutOfMemory);
    }
    // Also after a failure, so the memory gathered for the document goes back for the next ones.
    reader.ReleaseMemoryAbove(
        examination.reason == NotExaminedReason::OutOfMemory ? 0 : kMemoryKeptBetweenDocuments);
    return examination;
}

MarkingVerdict CheckMarking(std::filesystem::path path) {
    platform::RootStreamReader reader;
    return ExamineDocument(path, reader).verdict;
}

}  // namespace kalvor::scan
