#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scan/formats/word_fib.h"

namespace kalvor::testing {

// Writes the text of a Word 97-2003 document as Word keeps it: a file information block, the
// characters of each piece in the "WordDocument" stream, and a piece table in the table stream,
// written here from the format's documentation, apart from the reader.
struct TextPiece {
    std::u16string text;
    bool compressed = false;  // 8-bit characters: each unit below 0x100, written as its low byte
    scan::word::Story story = scan::word::Story::Main;
    std::vector<std::uint8_t> residueBehind = {};  // laid right behind its characters, in no piece
};

struct WordTextSpec {
    std::vector<TextPiece> pieces;  // in text order, stories in their order
    // The order their bytes are laid in the stream, one after another, as indexes into `pieces`
    // (an edit saved fast appends a piece's bytes); text order when empty.
    std::vector<std::size_t> layOrder = {};
    bool tableOne = false;  // the piece table in "1Table", not "0Table"
};

struct WordStreams {
    std::vector<std::uint8_t> wordDocument;
    std::vector<std::uint8_t> table;
};

// Where the file information block keeps the offset and length of the CLX in the table stream,
// where the CLX starts there, and its piece table (after one property run), for tests that damage
// them.
inline constexpr std::size_t kClxOffsetField = offsetof(scan::word::RawFib, clx);
inline constexpr std::size_t kClxLengthField = kClxOffsetField + 4;
inline constexpr std::size_t kClxStart = 0x20;
inline constexpr std::size_t kPieceTableStart = kClxStart + 6;

WordStreams BuildWordStreams(const WordTextSpec& spec);

// A compound file holding `streams`: the "WordDocument" stream and the table stream under the
// name `tableName`.
std::vector<std::uint8_t> WordDocumentFile(const WordStreams& streams,
                                           const std::u16string& tableName = u"0Table");

}  // namespace kalvor::testing
