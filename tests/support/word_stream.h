#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kalvor::testing {

// Bytes laid over a stream at a chosen offset.
struct StreamPiece {
    std::size_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

// UTF-16LE, the way Word keeps text in its "WordDocument" stream.
std::vector<std::uint8_t> Utf16Le(std::u16string_view text);

// A "WordDocument" stream of `length` bytes: zeros, the version byte (byte 5), then `pieces` laid
// over them in order (a piece may overwrite the version byte).
std::vector<std::uint8_t> WordStream(std::size_t length, const std::vector<StreamPiece>& pieces,
                                     std::uint8_t version = 0x20);

// A stream holding `text` after the file information block, with room behind it.
std::vector<std::uint8_t> WordStreamWithText(std::u16string_view text, std::uint8_t version = 0x20);

// A whole compound file whose "WordDocument" stream holds `text`.
std::vector<std::uint8_t> WordDocumentWithText(std::u16string_view text, int majorVersion = 3);

}  // namespace kalvor::testing
