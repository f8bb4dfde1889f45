#include "tests/support/word_stream.h"

#include <algorithm>
#include <stdexcept>

#include "tests/support/compound_file_builder.h"

namespace kalvor::testing {

namespace {

constexpr std::size_t kVersionByte = 5;
constexpr std::size_t kTextOffset = 0x40;
constexpr std::size_t kTrailingRoom = 0x10;

}  // namespace

std::vector<std::uint8_t> Utf16Le(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

std::vector<std::uint8_t> WordStream(std::size_t length, const std::vector<StreamPiece>& pieces,
                                     std::uint8_t version) {
    std::vector<std::uint8_t> stream(length, 0);
    if (length > kVersionByte) {
        stream[kVersionByte] = version;
    }
    for (const StreamPiece& piece : pieces) {
        if (piece.offset + piece.bytes.size() > length) {
            throw std::out_of_range("stream piece beyond the stream's end");
        }
        std::copy(piece.bytes.begin(), piece.bytes.end(), stream.begin() + piece.offset);
    }
    return stream;
}

std::vector<std::uint8_t> WordStreamWithText(std::u16string_view text, std::uint8_t version) {
    const std::size_t length = kTextOffset + text.size() * 2 + kTrailingRoom;
    return WordStream(length, {{kTextOffset, Utf16Le(text)}}, version);
}

std::vector<std::uint8_t> WordDocumentWithText(std::u16string_view text, int majorVersion) {
    return BuildWordDocument(WordStreamWithText(text), majorVersion);
}

}  // namespace kalvor::testing
