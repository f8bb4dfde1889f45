#include "scan/marking_detector.h"

#include <limits.h>

#include <memory>

#include "platform/compound_file.h"
#include "platform/exclusive_file.h"
#include "scan/mark_pair.h"

namespace kalvor::scan {

namespace {

constexpr std::size_t kVersionByteOffset = 5;
constexpr std::uint8_t kAcceptedVersions[] = {0x20, 0x40, 0x60};

constexpr char16_t kSpace = 0x0020;
constexpr char16_t kTab = 0x0009;
constexpr char16_t kLeadCharacters[] = {u'秘', u'机', u'绝'};

// A walk keeps its buffer between documents; one huge stream should not pin its memory for the
// rest of the walk.
constexpr std::size_t kBufferKeptBetweenDocuments = 64 * 1024 * 1024;

bool IsAcceptedVersion(std::uint8_t version) {
    for (const std::uint8_t accepted : kAcceptedVersions) {
        if (version == accepted) {
            return true;
        }
    }
    return false;
}

bool IsLeadCharacter(char16_t unit) {
    for (const char16_t lead : kLeadCharacters) {
        if (unit == lead) {
            return true;
        }
    }
    return false;
}

char16_t UnitAt(const std::uint8_t* image, std::int64_t offset) {
    return static_cast<char16_t>(image[offset] | (image[offset + 1] << 8));
}

// Whether the pair at `hit` is preceded, after any spaces or tabs, by a lead character. Never
// looks in front of the image.
bool IsMarkingAt(const std::uint8_t* image, std::uint32_t hit) {
    std::int64_t q = static_cast<std::int64_t>(hit) - 2;
    while (q >= 0 && (UnitAt(image, q) == kSpace || UnitAt(image, q) == kTab)) {
        q -= 2;
    }
    return q >= 0 && IsLeadCharacter(UnitAt(image, q));
}

NotExaminedReason ReasonForRefusal(platform::OpenOutcome outcome,
                                   const std::filesystem::path& path) {
    switch (outcome) {
        case platform::OpenOutcome::Opened:
            return NotExaminedReason::None;
        case platform::OpenOutcome::Missing:
            return path.native().size() >= PATH_MAX ? NotExaminedReason::PathTooLong
                                                    : NotExaminedReason::Unreadable;
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
    }
    return NotExaminedReason::NotCompoundFile;
}

Examination NotExamined(NotExaminedReason reason) {
    return {MarkingVerdict::NotExamined, reason};
}

}  // namespace

StreamStatus ReadWordDocumentStream(const std::filesystem::path& path,
                                    std::vector<std::uint8_t>& image, NotExaminedReason& reason) {
    image.clear();
    platform::OpenOutcome outcome = platform::OpenOutcome::Unreadable;
    const std::unique_ptr<platform::ExclusiveFile> file =
        platform::ExclusiveFile::Open(path, outcome);
    if (file == nullptr) {
        reason = ReasonForRefusal(outcome, path);
        return StreamStatus::Failed;
    }
    reason = ReasonForReadResult(platform::ReadRootStream(*file, u"WordDocument", image));
    return reason == NotExaminedReason::None ? StreamStatus::Read : StreamStatus::Failed;
}

Examination CheckStreamImage(const std::uint8_t* image, std::uint32_t length) {
    if (length <= kVersionByteOffset) {
        return NotExamined(NotExaminedReason::TooShort);
    }
    if (!IsAcceptedVersion(image[kVersionByteOffset])) {
        return NotExamined(NotExaminedReason::UnsupportedVersion);
    }
    std::optional<std::uint32_t> hit = FindMarkPair(image, length);
    while (hit.has_value()) {
        const std::uint32_t h = *hit;
        if (IsMarkingAt(image, h)) {
            return {MarkingVerdict::Marked, NotExaminedReason::None};
        }
        const std::uint32_t resumeAt = h + 2;
        hit = FindMarkPair(image + resumeAt, length - resumeAt);
        if (hit.has_value()) {
            *hit += resumeAt;
        }
    }
    return {MarkingVerdict::NotMarked, NotExaminedReason::None};
}

Examination ExamineDocument(const std::filesystem::path& path, std::vector<std::uint8_t>& buffer) {
    NotExaminedReason reason = NotExaminedReason::None;
    const Examination examination =
        ReadWordDocumentStream(path, buffer, reason) == StreamStatus::Read
            ? CheckStreamImage(buffer.data(), static_cast<std::uint32_t>(buffer.size()))
            : NotExamined(reason);
    if (buffer.capacity() > kBufferKeptBetweenDocuments) {
        std::vector<std::uint8_t>().swap(buffer);
    }
    return examination;
}

MarkingVerdict CheckMarking(std::filesystem::path path) {
    std::vector<std::uint8_t> buffer;
    return ExamineDocument(path, buffer).verdict;
}

}  // namespace kalvor::scan
