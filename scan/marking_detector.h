#pragma once

#include <cstdint>
#include <filesystem>

#include "cfb/compound_file.h"
#include "platform/exclusive_file.h"
#include "scan/marking_rule.h"
#include "scan/marking_verdict.h"

namespace kalvor::scan {

// The verdict on a stream image already in memory: the version gate on byte 5, then the search
// for a marking (秘, 机 or 绝, then any fillers `rule` accepts, then 密).
Examination CheckStreamImage(const std::uint8_t* image, std::uint32_t length,
                             marking::MatchRule rule = marking::MatchRule::Default);

// The verdict on the "WordDocument" stream of the compound file in `file`, read with `reader`, as
// long as the stream's recorded size, under `rule`.
Examination ExamineWordDocumentStream(platform::ByteSource& file, cfb::RootStreamReader& reader,
                                      marking::MatchRule rule);

// The verdict on one document, and why it could not be examined. `reader` keeps its memory
// between calls, so a walk that keeps one per worker allocates nothing per document.
// `listed` says how a folder listing saw the file, if one did; its reads tell `signs` what they
// meet on the disk, when given.
Examination ExamineDocument(const std::filesystem::path& path, cfb::RootStreamReader& reader,
                            platform::ListedAs listed = platform::ListedAs::Unknown,
                            marking::MatchRule rule = marking::MatchRule::Default,
                            platform::DiskReadSigns* signs = nullptr);

// Whether an examiner should keep no memory at all after `examination`: it ran out of memory, or
// the examination's memory budget is tight.
bool KeepsNoMemoryAfter(const Examination& examination);

// Gives back what examining one document made `reader` grow past what a walk keeps from one
// document to the next; all of it when KeepsNoMemoryAfter. Also after a failure, so the memory
// goes back for the next documents.
void ReleaseMemoryAfter(const Examination& examination, cfb::RootStreamReader& reader);

MarkingVerdict CheckMarking(std::filesystem::path path);

}  // namespace kalvor::scan
