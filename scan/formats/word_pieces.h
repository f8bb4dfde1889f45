#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kalvor::scan::word {

// The piece table of a Word 97-2003 document (the PlcPcd in its CLX): which bytes of the
// "WordDocument" stream hold each stretch of the document's text. A piece holds 16-bit (UTF-16LE)
// characters, or 8-bit ones ("compressed"). Bytes no piece holds are in the file but in no text:
// what a fast save left behind, deleted content.
class PieceTable {
  public:
    // The table the CLX `clx` holds, after its property runs, for the text of `stream`; nothing
    // when it is damaged: a run or the table reaching beyond the CLX, no table, positions that do
    // not rise, a piece whose characters lie beyond the stream.
    static std::optional<PieceTable> Read(std::span<const std::uint8_t> clx,
                                          std::span<const std::uint8_t> stream);

    // For each of `offsets` of the stream, the character position of the UTF-16 unit there: only
    // a 16-bit piece holds one, starting an even number of bytes into it; where several pieces
    // hold the same bytes, the first in the text. Nothing for a unit no piece holds.
    std::vector<std::optional<std::uint32_t>> Place(std::span<const std::uint32_t> offsets) const;

    // The character at `cp`, as Unicode; nothing outside the text. Quickest going forward or
    // backward from the last one asked for.
    std::optional<char16_t> CharacterAt(std::uint32_t cp);

    // Hands `visit` the characters from `from` up to `to` in turn, as CharacterAt gives them,
    // until it returns false or the text ends. Where it stopped: the position of the character
    // `visit` refused, or where the text or `to` ends. A walk over much of a long text goes piece
    // by piece, not character by character.
    template <typename Visit>
    std::uint32_t VisitCharacters(std::uint32_t from, std::uint32_t to, Visit&& visit) const;

  private:
    struct Piece {
        std::uint32_t offset = 0;  // of its first character in the stream
        bool compressed = false;
    };

    // A character of an 8-bit piece, as Unicode: code page 1252.
    static char16_t Widened(std::uint8_t byte) {
        return byte >= 0x80 && byte < 0xA0 ? WidenedFrom0x80(byte) : char16_t{byte};
    }
    static char16_t WidenedFrom0x80(std::uint8_t byte);

    PieceTable(std::span<const std::uint8_t> stream, std::vector<std::uint32_t> positions,
               std::vector<Piece> pieces)
        : stream_(stream), positions_(std::move(positions)), pieces_(std::move(pieces)) {}

    std::span<const std::uint8_t> stream_;
    std::vector<std::uint32_t> positions_;  // where each piece starts, then where the last ends
    std::vector<Piece> pieces_;
    std::size_t last_ = 0;  // the piece read last
};

template <typename Visit>
std::uint32_t PieceTable::VisitCharacters(std::uint32_t from, std::uint32_t to,
                                          Visit&& visit) const {
    if (from < positions_.front() || from >= positions_.back()) {
        return from;
    }
    to = std::min(to, positions_.back());
    auto piece = static_cast<std::size_t>(
        std::upper_bound(positions_.begin(), positions_.end(), from) - positions_.begin() - 1);
    std::uint32_t cp = from;
    for (; cp < to; ++piece) {
        const Piece& stored = pieces_[piece];
        // Read checked that every piece's characters lie within the stream.
        const std::uint8_t* bytes = stream_.data() + stored.offset;
        const std::uint32_t pieceEnd = std::min(to, positions_[piece + 1]);
        std::uint32_t index = cp - positions_[piece];
        if (stored.compressed) {
            for (; cp < pieceEnd; ++cp, ++index) {
                if (!visit(Widened(bytes[index]))) {
                    return cp;
                }
            }
            continue;
        }
        for (; cp < pieceEnd; ++cp, ++index) {
            if (!visit(static_cast<char16_t>(bytes[2 * index] | bytes[2 * index + 1] << 8))) {
                return cp;
            }
        }
    }
    return cp;
}

}  // namespace kalvor::scan::word
