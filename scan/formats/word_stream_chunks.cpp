#include "scan/formats/word_stream_chunks.h"

#include "scan/document_open.h"
#include "scan/formats/word_fib.h"
#include "scan/formats/word_stream_refusal.h"
#include "scan/mark_pair.h"

namespace kalvor::scan {

std::optional<Examination> CheckStreamChunks(cfb::StreamChunks& chunks, marking::MatchRule rule) {
    if (chunks.Size() <= marking::kVersionByteOffset) {
        return NotExamined(WordStreamRefusal::TooShort);
    }
    std::span<const std::uint8_t> chunk = chunks.Next(0);
    if (!marking::IsAcceptedVersion(chunk[marking::kVersionByteOffset])) {
        return NotExamined(WordStreamRefusal::UnsupportedVersion);
    }
    // The flags lie in the first chunk of any stream long enough to hold them.
    const bool encrypted = word::IsEncrypted(chunk.data(), chunk.size());
    for (std::uint32_t from = 0;;) {
        const auto length = static_cast<std::uint32_t>(chunk.size());
        if (FindMarkingFrom(chunk.data(), length, from, rule).has_value()) {
            return Examination{.verdict = MarkingVerdict::Marked};
        }
        if (chunks.Done()) {
            break;
        }
        const std::uint32_t kept = length - LookBackStart(chunk.data(), length, rule);
        if (kept > chunks.MostKept()) {
            return std::nullopt;
        }
        chunk = chunks.Next(kept);
        // The pairs searched so far end two bytes before the end of what was kept.
        from = kept >= 2 ? kept - 2 : 0;
    }
    return encrypted ? NotExamined(WordStreamRefusal::Encrypted)
                     : Examination{.verdict = MarkingVerdict::NotMarked};
}

}  // namespace kalvor::scan
