#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "cfb/byte_source.h"
#include "cfb/compound_file.h"
#include "platform/disk_read_signs.h"
#include "platform/exclusive_file.h"
#include "scan/document_format.h"
#include "scan/formats/word_evidence.h"
#include "scan/marking_rule.h"
#include "scan/marking_verdict.h"
#include "scan/not_examined_reason.h"

namespace kalvor::scan {

// The name ending of Word 97-2003 documents, for whoever lists or filters them.
inline constexpr std::string_view kWordDocumentExtension = ".doc";

// The verdict on a stream image already in memory: the version gate on byte 5, then the search
// for a marking (秘, 机 or 绝, then any fillers `rule` accepts, then 密).
Examination CheckStreamImage(const std::uint8_t* image, std::uint32_t length,
                             marking::MatchRule rule = marking::MatchRule::Default);

// The verdict on the "WordDocument" stream of the compound file in `file`, read with `reader`, as
// long as the stream's recorded size, under `rule`; with `evidence` given, a Marked document's
// hits too, read from the same file before it goes. The stream is searched in chunks of
// `chunkBytes` as they are read, and read whole only where the chunks cannot tell, or for the
// hits of a Marked document.
Examination ExamineWordDocumentStream(cfb::ByteSource& file, cfb::RootStreamReader& reader,
                                      marking::MatchRule rule,
                                      WordEvidenceReader* evidence = nullptr,
                                      std::size_t chunkBytes = cfb::StreamChunks::kChunkBytes);

// The verdict on one document, and why it could not be examined. `reader` keeps its memory
// between calls, so a walk that keeps one per worker allocates nothing per document.
// `listed` says how a folder listing saw the file, if one did; its reads tell `signs` what they
// meet on the disk, when given. With `evidence` given, a Marked document's hits too. Documents of
// the kinds `include` names are read though they cannot be held.
Examination ExamineDocument(const std::filesystem::path& path, cfb::RootStreamReader& reader,
                            platform::ListedAs listed = platform::ListedAs::Unknown,
                            marking::MatchRule rule = marking::MatchRule::Default,
                            platform::DiskReadSigns* signs = nullptr,
                            WordEvidenceReader* evidence = nullptr,
                            platform::IncludedAccess include = {},
                            const platform::OpenedFolder* folder = nullptr);

// Files in the Word 97-2003 binary format: the marking detector on their "WordDocument" stream.
class WordDocumentFormat final : public DocumentFormat {
  public:
    // `withoutStream`: why a compound file without that stream is not examined.
    explicit constexpr WordDocumentFormat(
        std::string_view extension,
        NotExaminedReason withoutStream = cfb::StreamReadResult::StreamNotFound)
        : extension_(extension), withoutStream_(withoutStream) {}

    std::string_view Extension() const override { return extension_; }
    Examination Examine(const FoundDocument& document, WorkerMemory& memory,
                        const ExamineRequest& request) const override;

  private:
    std::string_view extension_;
    NotExaminedReason withoutStream_;
};

}  // namespace kalvor::scan
