#include "scan/marking_detector.h"

#include <memory>
#include <new>
#include <stdexcept>

#include "cfb/compound_file.h"
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

NotExaminedReason ReasonForReadResult(cfb::StreamReadResult result) {
    switch (result) {
        case cfb::StreamReadResult::Read:
            return NotExaminedReason::None;
        case cfb::StreamReadResult::NotCompoundFile:
            return NotExaminedReason::NotCompoundFile;
        case cfb::StreamReadResult::StreamNotFound:
            return NotExaminedReason::NoWordDocumentStream;
        case cfb::StreamReadResult::StreamTooLarge:
            return NotExaminedReason::StreamTooLarge;
        case cfb::StreamReadResult::StructureTooLarge:
            return NotExaminedReason::StructureTooLarge;
    }
    return NotExaminedReason::NotCompoundFile;
}

Examination NotExamined(NotExaminedReason reason) {
    return {MarkingVerdict::NotExamined, reason};
}

}  // namespace

WordDocumentStream ReadWordDocumentStream(const std::filesystem::path& path,
                                          cfb::RootStreamReader& reader,
                                          platform::ListedAs listed) {
    if (listed == platform::ListedAs::StatusUnknown) {
        return {.image = {}, .reason = NotExaminedReason::Unreadable};
    }
    const platform::OpenedFile opened = platform::ExclusiveFile::Open(path, listed);
    if (opened.file == nullptr) {
        return {.image = {}, .reason = ReasonForRefusal(opened.outcome, path)};
    }
    const cfb::StreamView read = reader.Read(*opened.file, u"WordDocument");
    return {.image = read.image, .reason = ReasonForReadResult(read.status.result)};
}

Examination CheckStreamImage(const std::uint8_t* image, std::uint32_t length,
                             marking::MatchRule rule) {
    if (length <= marking::kVersionByteOffset) {
        return NotExamined(NotExaminedReason::TooShort);
    }
    if (!marking::IsAcceptedVersion(image[marking::kVersionByteOffset])) {
        return NotExamined(NotExaminedReason::UnsupportedVersion);
    }
    if (FindMarking(image, length, rule).has_value()) {
        return {MarkingVerdict::Marked, NotExaminedReason::None};
    }
    return {MarkingVerdict::NotMarked, NotExaminedReason::None};
}

Examination ExamineDocument(const std::filesystem::path& path, cfb::RootStreamReader& reader,
                            platform::ListedAs listed, marking::MatchRule rule) {
    Examination examination;
    try {
        const WordDocumentStream stream = ReadWordDocumentStream(path, reader, listed);
        examination = stream.reason == NotExaminedReason::None
                          ? CheckStreamImage(stream.image.data(),
                                             static_cast<std::uint32_t>(stream.image.size()), rule)
                          : NotExamined(stream.reason);
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
    cfb::RootStreamReader reader;
    return ExamineDocument(path, reader).verdict;
}

}  // namespace kalvor::scan
