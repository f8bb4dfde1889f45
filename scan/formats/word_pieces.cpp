#include "scan/formats/word_pieces.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

#include "cfb/layout.h"

namespace kalvor::scan::word {

namespace {

// The CLX's entries: property runs, then the one piece table.
constexpr std::uint8_t kPropertyRun = 0x01;
constexpr std::uint8_t kPieceTable = 0x02;
// A piece descriptor: flags (2 bytes), where its text is (4), a property modifier (2).
constexpr std::size_t kDescriptorSize = 8;
constexpr std::size_t kDescriptorOffsetField = 2;
constexpr std::uint32_t kCompressedFlag = 0x40000000;
constexpr std::uint32_t kOffsetBits = 0x3FFFFFFF;

// 8-bit characters are Unicode's first 256, except these, which are as in code page 1252.
constexpr std::array<char16_t, 32> kCompressedFrom0x80 = {
    0x0080, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x008E, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178};

std::uint32_t Le32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return cfb::LoadRecord<cfb::ulittle32_t>(bytes, at).Value();
}

// The piece table's bytes in the CLX, past its property runs; nothing when the CLX is damaged.
std::optional<std::span<const std::uint8_t>> PieceTableBytes(std::span<const std::uint8_t> clx) {
    std::size_t at = 0;
    while (at < clx.size() && clx[at] == kPropertyRun) {
        if (clx.size() - at < 3) {
            return std::nullopt;
        }
        const auto length =
            static_cast<std::int16_t>(cfb::LoadRecord<cfb::ulittle16_t>(clx, at + 1).Value());
        if (length < 0) {
            return std::nullopt;
        }
        at += 3 + static_cast<std::size_t>(length);
    }
    if (at >= clx.size() || clx[at] != kPieceTable || clx.size() - at < 5) {
        return std::nullopt;
    }
    const std::uint32_t length = Le32(clx, at + 1);
    if (length > clx.size() - at - 5) {
        return std::nullopt;
    }
    return clx.subspan(at + 5, length);
}

}  // namespace

std::optional<PieceTable> PieceTable::Read(std::span<const std::uint8_t> clx,
                                           std::span<const std::uint8_t> stream) {
    const std::optional<std::span<const std::uint8_t>> table = PieceTableBytes(clx);
    if (!table.has_value() || table->size() < 4 + 4 + kDescriptorSize ||
        (table->size() - 4) % (4 + kDescriptorSize) != 0) {
        return std::nullopt;
    }
    const std::size_t count = (table->size() - 4) / (4 + kDescriptorSize);
    std::vector<std::uint32_t> positions(count + 1);
    std::vector<Piece> pieces(count);
    for (std::size_t i = 0; i <= count; ++i) {
        positions[i] = Le32(*table, i * 4);
        if (i > 0 && positions[i] <= positions[i - 1]) {
            return std::nullopt;
        }
    }
    const std::size_t descriptors = (count + 1) * 4;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t where =
            Le32(*table, descriptors + i * kDescriptorSize + kDescriptorOffsetField);
        Piece& piece = pieces[i];
        piece.compressed = (where & kCompressedFlag) != 0;
        piece.offset = piece.compressed ? (where & kOffsetBits) / 2 : where & kOffsetBits;
        const std::uint64_t bytes =
            std::uint64_t{positions[i + 1] - positions[i]} * (piece.compressed ? 1 : 2);
        if (piece.offset + bytes > stream.size()) {
            return std::nullopt;
        }
    }
    return PieceTable(stream, std::move(positions), std::move(pieces));
}

std::vector<std::optional<std::uint32_t>> PieceTable::Place(
    std::span<const std::uint32_t> offsets) const {
    std::vector<std::optional<std::uint32_t>> placed(offsets.size());
    // Kept apart by the parity of their offsets, each set holds only units a 16-bit piece starting
    // at that parity can hold, so each unit is looked at once, however the pieces overlap.
    std::array<std::set<std::pair<std::uint32_t, std::size_t>>, 2> unplaced;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        unplaced[offsets[i] & 1].emplace(offsets[i], i);
    }
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        const Piece& piece = pieces_[i];
        if (piece.compressed) {
            continue;
        }
        const std::uint64_t end =
            piece.offset + std::uint64_t{positions_[i + 1] - positions_[i]} * 2;
        auto& candidates = unplaced[piece.offset & 1];
        for (auto unit = candidates.lower_bound({piece.offset, 0});
             unit != candidates.end() && unit->first < end; unit = candidates.erase(unit)) {
            placed[unit->second] = positions_[i] + (unit->first - piece.offset) / 2;
        }
    }
    return placed;
}

char16_t PieceTable::WidenedFrom0x80(std::uint8_t byte) {
    return kCompressedFrom0x80[byte - 0x80];
}

std::optional<char16_t> PieceTable::CharacterAt(std::uint32_t cp) {
    if (cp < positions_.front() || cp >= positions_.back()) {
        return std::nullopt;
    }
    if (cp < positions_[last_] || cp >= positions_[last_ + 1]) {
        last_ = static_cast<std::size_t>(
            std::upper_bound(positions_.begin(), positions_.end(), cp) - positions_.begin() - 1);
    }
    const Piece& piece = pieces_[last_];
    const std::size_t index = cp - positions_[last_];
    if (piece.compressed) {
        return Widened(stream_[piece.offset + index]);
    }
    return cfb::LoadRecord<cfb::ulittle16_t>(stream_, piece.offset + index * 2).Value();
}

}  // namespace kalvor::scan::word
