#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "platform/cfb_name.h"
#include "platform/compound_file.h"
#include "scan/marking_detector.h"

// What must hold for any file, however damaged or hostile: the fuzzer aborts on a broken rule and
// the regression test replays every input it ever broke one with.
namespace kalvor::fuzz {

// The detector's verdict worked out the slowest, plainest way, position by position, to hold the
// fast search to.
inline scan::MarkingVerdict PlainVerdict(std::span<const std::uint8_t> image) {
    constexpr std::size_t kVersionByte = 5;
    if (image.size() <= kVersionByte) {
        return scan::MarkingVerdict::NotExamined;
    }
    const std::uint8_t version = image[kVersionByte];
    if (version != 0x20 && version != 0x40 && version != 0x60) {
        return scan::MarkingVerdict::NotExamined;
    }
    const auto unitAt = [&](std::int64_t at) {
        return static_cast<char16_t>(image[at] | image[at + 1] << 8);
    };
    const auto length = static_cast<std::int64_t>(image.size());
    for (std::int64_t p = 0; p <= length - 3; ++p) {
        if (image[p] != 0xC6 || image[p + 1] != 0x5B) {
            continue;
        }
        std::int64_t q = p - 2;
        while (q >= 0 && (unitAt(q) == u' ' || unitAt(q) == u'\t')) {
            q -= 2;
        }
        if (q >= 0 && (unitAt(q) == u'秘' || unitAt(q) == u'机' || unitAt(q) == u'绝')) {
            return scan::MarkingVerdict::Marked;
        }
    }
    return scan::MarkingVerdict::NotMarked;
}

inline std::optional<std::string> CheckVerdict(std::span<const std::uint8_t> image) {
    const scan::Examination examination =
        scan::CheckStreamImage(image.data(), static_cast<std::uint32_t>(image.size()));
    if (examination.verdict != PlainVerdict(image)) {
        return "the detector's verdict differs from the plain search's";
    }
    if ((examination.verdict == scan::MarkingVerdict::NotExamined) !=
        (examination.reason != scan::NotExaminedReason::None)) {
        return "a reason comes with a verdict other than NotExamined, or none with it";
    }
    return std::nullopt;
}

// Reads `file` as a compound file both ways the reader offers, and every stream the way a full
// walk does; all must agree on the "WordDocument" stream. `reader` is kept from input to input,
// as a walk keeps it from document to document.
inline std::optional<std::string> CheckCompoundFile(std::span<const std::uint8_t> file,
                                                    platform::RootStreamReader& reader) {
    platform::MemoryByteSource source(file);
    std::vector<std::uint8_t> image(7, 0xAA);
    const platform::StreamReadResult result =
        platform::ReadRootStream(source, u"WordDocument", image);
    std::span<const std::uint8_t> windowed;
    if (reader.Read(source, u"WordDocument", windowed) != result) {
        return "the windowed reader came to another result";
    }
    if (result != platform::StreamReadResult::Read) {
        return image.empty() ? std::nullopt
                             : std::optional<std::string>("a failed read left bytes in the image");
    }
    if (!std::equal(image.begin(), image.end(), windowed.begin(), windowed.end())) {
        return "the windowed reader read other bytes";
    }
    if (image.size() > file.size()) {
        return "a stream came out larger than its file";
    }
    if (const std::optional<std::string> problem = CheckVerdict(image)) {
        return problem;
    }
    std::optional<std::vector<std::uint8_t>> walked;
    platform::ForEachStream(source, [&](const platform::StoredStream& stream) {
        if (!walked.has_value() && stream.path.size() == 1 &&
            platform::cfb::SameEntryName(stream.path[0], u"WordDocument")) {
            walked.emplace(stream.bytes.begin(), stream.bytes.end());
        }
    });
    if (walked != image) {
        return "the walk over every stream read the stream differently";
    }
    return std::nullopt;
}

// Every rule, for one input taken both as a compound file and as a bare stream image.
inline std::optional<std::string> CheckDocument(std::span<const std::uint8_t> bytes,
                                                platform::RootStreamReader& reader) {
    if (const std::optional<std::string> problem = CheckCompoundFile(bytes, reader)) {
        return problem;
    }
    return CheckVerdict(bytes);
}

}  // namespace kalvor::fuzz
