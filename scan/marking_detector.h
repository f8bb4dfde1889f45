#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "scan/marking_verdict.h"

namespace kalvor::scan {

enum class StreamStatus : int {
    Read = 1,
    Failed = 2,
};

// Reads the whole "WordDocument" stream of the compound file at `path` into `image` (resized to
// the stream's length). The file is open, exclusively and locked, only while reading. On Failed,
// `reason` tells why and `image` holds nothing of use.
StreamStatus ReadWordDocumentStream(const std::filesystem::path& path,
                                    std::vector<std::uint8_t>& image, NotExaminedReason& reason);

// The verdict on a stream image already in memory: the version gate on byte 5, then the search
// for a marking (秘, 机 or 绝, then any spaces or tabs, then 密).
Examination CheckStreamImage(const std::uint8_t* image, std::uint32_t length);

// The verdict on one document, and why it could not be examined. `buffer` is reused between calls
// so a walk allocates once per worker rather than once per file.
Examination ExamineDocument(const std::filesystem::path& path, std::vector<std::uint8_t>& buffer);

MarkingVerdict CheckMarking(std::filesystem::path path);

}  // namespace kalvor::scan
