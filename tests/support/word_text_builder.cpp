#include "tests/support/word_text_builder.h"

#include <cstring>
#include <stdexcept>

#include "tests/support/compound_file_builder.h"
#include "tests/support/word_stream.h"

namespace kalvor::testing {

namespace {

using scan::word::RawFib;
constexpr std::size_t kTextStart = 0x400;

void Append32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

std::vector<std::uint8_t> Bytes(const TextPiece& piece) {
    if (!piece.compressed) {
        return Utf16Le(piece.text);
    }
    std::vector<std::uint8_t> bytes;
    for (const char16_t unit : piece.text) {
        if (unit > 0xFF) {
            throw std::invalid_argument("an 8-bit piece holds units below 0x100 only");
        }
        bytes.push_back(static_cast<std::uint8_t>(unit));
    }
    return bytes;
}

}  // namespace

WordStreams BuildWordStreams(const WordTextSpec& spec) {
    WordStreams streams;
    std::vector<std::uint8_t>& stream = streams.wordDocument;
    stream.assign(kTextStart, 0);
    RawFib fib{};
    fib.ident.Set(0xA5EC);
    fib.version.Set(0x00C1);
    fib.flags.Set(spec.tableOne ? scan::word::kTableOneFlag : 0);
    fib.shortCount.Set(scan::word::kShortCount);
    fib.longCount.Set(scan::word::kLongCount);
    fib.pairCount.Set(scan::word::kPairCount);

    std::vector<std::size_t> offsets(spec.pieces.size());
    for (std::size_t i = 0; i < spec.pieces.size(); ++i) {
        const std::size_t laid = spec.layOrder.empty() ? i : spec.layOrder.at(i);
        const TextPiece& piece = spec.pieces.at(laid);
        offsets[laid] = stream.size();
        const std::vector<std::uint8_t> bytes = Bytes(piece);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
        stream.insert(stream.end(), piece.residueBehind.begin(), piece.residueBehind.end());
    }

    std::vector<std::uint8_t> positions;
    std::vector<std::uint8_t> descriptors;
    std::uint32_t cp = 0;
    std::array<std::uint32_t, scan::word::kStoryCount> storyLengths{};
    for (std::size_t i = 0; i < spec.pieces.size(); ++i) {
        const TextPiece& piece = spec.pieces[i];
        Append32(positions, cp);
        descriptors.insert(descriptors.end(), {0, 0});
        Append32(descriptors, piece.compressed
                                  ? static_cast<std::uint32_t>(offsets[i] * 2) | 0x40000000
                                  : static_cast<std::uint32_t>(offsets[i]));
        descriptors.insert(descriptors.end(), {0, 0});
        cp += static_cast<std::uint32_t>(piece.text.size());
        storyLengths[static_cast<std::size_t>(piece.story)] +=
            static_cast<std::uint32_t>(piece.text.size());
    }
    Append32(positions, cp);
    stream.resize(stream.size() + 0x10, 0);
    fib.ccpText.Set(storyLengths[0]);
    fib.ccpFtn.Set(storyLengths[1]);
    fib.ccpHdd.Set(storyLengths[2]);
    fib.ccpAtn.Set(storyLengths[3]);
    fib.ccpEdn.Set(storyLengths[4]);
    fib.ccpTxbx.Set(storyLengths[5]);
    fib.ccpHdrTxbx.Set(storyLengths[6]);

    // Behind bytes other tables would take, one property run before the piece table, as a
    // document with direct formatting has.
    std::vector<std::uint8_t>& table = streams.table;
    table.assign(kClxStart, 0xEE);
    table.insert(table.end(), {0x01, 0x03, 0x00, 0x11, 0x22, 0x33});
    table.push_back(0x02);
    Append32(table, static_cast<std::uint32_t>(positions.size() + descriptors.size()));
    table.insert(table.end(), positions.begin(), positions.end());
    table.insert(table.end(), descriptors.begin(), descriptors.end());
    fib.clx.fc.Set(kClxStart);
    fib.clx.lcb.Set(static_cast<std::uint32_t>(table.size() - kClxStart));
    table.resize(table.size() + 0x10, 0xEE);
    std::memcpy(stream.data(), &fib, sizeof(fib));
    stream[5] = 0x20;  // the version byte the examination takes for Word 97-2003
    return streams;
}

std::vector<std::uint8_t> WordDocumentFile(const WordStreams& streams,
                                           const std::u16string& tableName) {
    return BuildCompoundFile(
        {.rootStreams = {{u"WordDocument", streams.wordDocument}, {tableName, streams.table}}});
}

}  // namespace kalvor::testing
