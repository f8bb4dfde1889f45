#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cfb/byte_source.h"
#include "cfb/compound_file.h"
#include "cfb/entry_name.h"
#include "reference/marking_by_byte_loop.h"
#include "scan/examination_memory.h"
#include "scan/formats/word_document.h"

// What must hold for any file, however damaged or hostile: the fuzzer aborts on a broken rule and
// the regression test replays every input it ever broke one with.
namespace kalvor::fuzz {

// Asked for evidence, an examination comes to the verdict it comes to without, and a listed
// document has hits, no more than are kept, strongest first; any other none.
inline std::optional<std::string> CheckEvidence(const scan::Examination& plain,
                                                const scan::Examination& withEvidence) {
    if (withEvidence.verdict != plain.verdict || withEvidence.reason != plain.reason) {
        return "asking for evidence changed the verdict";
    }
    const std::vector<scan::EvidenceHit>& hits = withEvidence.evidence;
    if (plain.verdict == scan::MarkingVerdict::Marked ? hits.empty() || hits.size() > scan::kMaxHits
                                                      : !hits.empty()) {
        return "a listed document without hits, too many hits, or hits of a document not listed";
    }
    if (!std::is_sorted(hits.begin(), hits.end(),
                        [](const auto& a, const auto& b) { return a.grade < b.grade; })) {
        return "the hits are not strongest first";
    }
    return std::nullopt;
}

inline std::optional<std::string> CheckVerdict(std::span<const std::uint8_t> image) {
    for (const scan::marking::MatchRule rule :
         {scan::marking::MatchRule::Default, scan::marking::MatchRule::Wide}) {
        const scan::Examination examination =
            scan::CheckStreamImage(image.data(), static_cast<std::uint32_t>(image.size()), rule);
        if (examination.verdict != reference::VerdictByteByByte(image, rule)) {
            return "the detector's verdict differs from the plain search's";
        }
        if ((examination.verdict == scan::MarkingVerdict::NotExamined) !=
            examination.reason.has_value()) {
            return "a reason comes with a verdict other than NotExamined, or none with it";
        }
    }
    return std::nullopt;
}

// Reads `file` as a compound file both ways the reader offers, and every stream the way a full
// walk does; all must agree on the "WordDocument" stream. `reader` is kept from input to input,
// as a walk keeps it from document to document.
inline std::optional<std::string> CheckCompoundFile(std::span<const std::uint8_t> file,
                                                    cfb::RootStreamReader& reader) {
    cfb::MemoryByteSource source(file);
    const cfb::StreamCopy plain = cfb::ReadRootStream(
        source, u"WordDocument", scan::ExaminationMemory(), std::vector<std::uint8_t>(7, 0xAA));
    const cfb::StreamReadResult result = plain.status.result;
    const std::vector<std::uint8_t>& image = plain.image;
    const cfb::StreamView read = reader.Read(source, u"WordDocument");
    const std::span<const std::uint8_t> windowed = read.image;
    if (read.status.result != result) {
        return "the windowed reader came to another result";
    }
    if (result != cfb::StreamReadResult::Read) {
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
    cfb::ForEachStream(source, scan::ExaminationMemory(), [&](const cfb::StoredStream& stream) {
        if (!walked.has_value() && stream.path.size() == 1 &&
            cfb::SameEntryName(stream.path[0], u"WordDocument")) {
            walked.emplace(stream.bytes.begin(), stream.bytes.end());
        }
    });
    if (walked != image) {
        return "the walk over every stream read the stream differently";
    }
    scan::WordEvidenceReader evidence;
    for (const scan::marking::MatchRule rule :
         {scan::marking::MatchRule::Default, scan::marking::MatchRule::Wide}) {
        const scan::Examination plain = scan::ExamineWordDocumentStream(source, reader, rule);
        if (const std::optional<std::string> problem = CheckEvidence(
                plain, scan::ExamineWordDocumentStream(source, reader, rule, &evidence))) {
            return problem;
        }
        // Chunks far smaller than a search's, so that they end everywhere in a small input.
        for (const std::size_t chunkBytes : {std::size_t{64}, std::size_t{1000}}) {
            const scan::Examination chunked =
                scan::ExamineWordDocumentStream(source, reader, rule, nullptr, chunkBytes);
            if (chunked.verdict != plain.verdict || chunked.reason != plain.reason) {
                return "the size of the chunks a stream is searched in changed the verdict";
            }
        }
    }
    return std::nullopt;
}

// Every rule, for one input taken both as a compound file and as a bare stream image.
inline std::optional<std::string> CheckDocument(std::span<const std::uint8_t> bytes,
                                                cfb::RootStreamReader& reader) {
    if (const std::optional<std::string> problem = CheckCompoundFile(bytes, reader)) {
        return problem;
    }
    return CheckVerdict(bytes);
}

}  // namespace kalvor::fuzz
