#include "scan/formats/word_document.h"

#include "scan/document_bytes.h"
#include "scan/document_open.h"
#include "scan/formats/word_fib.h"
#include "scan/formats/word_stream_chunks.h"
#include "scan/mark_pair.h"
#include "scan/worker_memory.h"

namespace kalvor::scan {

namespace {

constexpr std::u16string_view kWordStreamName = u"WordDocument";

// Where the system cannot be asked for a read that does not wait (a network share), every read of
// a chunk, and the question after it whether the file is still the version opened, is a round
// trip: there a large stream is read in a few chunks of megabytes, not in dozens.
std::size_t ChunkBytesFor(const platform::DiskReadSigns* signs) {
    constexpr std::size_t kChunkBytesWhereReadsWait = 1 << 20;
    return signs != nullptr && !signs->AskWithoutWaiting() ? kChunkBytesWhereReadsWait
                                                           : cfb::StreamChunks::kChunkBytes;
}

Examination VerdictOnWordDocumentStream(const cfb::StreamView& read, marking::MatchRule rule) {
    if (!read.status.Ok()) {
        return NotExamined(read.status.result);
    }
    return CheckStreamImage(read.image.data(), static_cast<std::uint32_t>(read.image.size()), rule);
}

// A Marked document's evidence, read from `file` while it is still held.
void AddEvidence(Examination& examination, cfb::ByteSource& file,
                 std::span<const std::uint8_t> stream, marking::MatchRule rule,
                 WordEvidenceReader& evidence) {
    if (examination.verdict == MarkingVerdict::Marked) {
        examination.evidence = evidence.Collect(file, stream, rule);
    }
}

}  // namespace

Examination CheckStreamImage(const std::uint8_t* image, std::uint32_t length,
                             marking::MatchRule rule) {
    if (length <= marking::kVersionByteOffset) {
        return NotExamined(WordStreamRefusal::TooShort);
    }
    if (!marking::IsAcceptedVersion(image[marking::kVersionByteOffset])) {
        return NotExamined(WordStreamRefusal::UnsupportedVersion);
    }
    if (FindMarking(image, length, rule).has_value()) {
        return {.verdict = MarkingVerdict::Marked};
    }
    // The marking was looked for in cipher text, which says nothing of the document's own; a
    // marking found there all the same still lists it, as the raw rule always has.
    if (word::IsEncrypted(image, length)) {
        return NotExamined(WordStreamRefusal::Encrypted);
    }
    return {.verdict = MarkingVerdict::NotMarked};
}

Examination ExamineWordDocumentStream(cfb::ByteSource& file, cfb::RootStreamReader& reader,
                                      marking::MatchRule rule, WordEvidenceReader* evidence,
                                      std::size_t chunkBytes) {
    Examination examination;
    const cfb::ReadStatus status = reader.ReadInChunks(
        file, kWordStreamName,
        [&](cfb::StreamChunks& chunks) {
            const std::optional<Examination> chunked = CheckStreamChunks(chunks, rule);
            const bool hitsAsked = evidence != nullptr && chunked.has_value() &&
                                   chunked->verdict == MarkingVerdict::Marked;
            if (chunked.has_value() && !hitsAsked) {
                examination = *chunked;
                return;
            }
            // Whole where the chunks could not tell, and for the hits of a listed document, whose
            // verdict the chunks already gave.
            const cfb::StreamView whole = chunks.Whole();
            examination = hitsAsked && whole.status.Ok() ? *chunked
                                                         : VerdictOnWordDocumentStream(whole, rule);
            if (evidence != nullptr) {
                AddEvidence(examination, file, whole.image, rule, *evidence);
            }
        },
        chunkBytes);
    return status.Ok() ? examination : NotExamined(status.result);
}

Examination ExamineDocument(const std::filesystem::path& path, cfb::RootStreamReader& reader,
                            platform::ListedAs listed, marking::MatchRule rule,
                            platform::DiskReadSigns* signs, WordEvidenceReader* evidence,
                            platform::IncludedAccess include,
                            const platform::OpenedFolder* folder) {
    const Examination examination = ExaminedWithinMemory([&] {
        // The file is held, exclusively and locked, only while it is read: its evidence too.
        return ExamineOpenedDocument(path, listed, signs, include, folder,
                                     [&](OpenedDocument& opened) {
                                         DocumentBytes bytes(*opened.file);
                                         return ExamineWordDocumentStream(
                                             bytes, reader, rule, evidence, ChunkBytesFor(signs));
                                     });
    });
    ReleaseMemoryAfter(examination, reader);
    if (evidence != nullptr) {
        evidence->ReleaseMemoryAfter(examination);
    }
    return examination;
}

Examination WordDocumentFormat::Examine(const FoundDocument& document, WorkerMemory& memory,
                                        const ExamineRequest& request) const {
    WordEvidenceReader* evidence = request.evidence ? &memory.Kept<WordEvidenceReader>() : nullptr;
    Examination examination = ExaminedWithinBudget(*memory.budget, [&] {
        return ExamineDocument(document.path, memory.compound, document.Listed(), request.rule,
                               &memory.diskReads, evidence, document.include,
                               memory.FolderOf(document).get());
    });
    if (examination.reason == cfb::StreamReadResult::StreamNotFound) {
        examination.reason = withoutStream_;
    }
    return examination;
}

}  // namespace kalvor::scan
