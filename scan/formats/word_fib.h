#pragma once

#include <cstddef>
#include <cstdint>

// The fields of a Word 97-2003 file information block that the examination reads, at the start
// of the "WordDocument" stream. Encryption leaves this much of the block in the clear.
namespace kalvor::scan::word {

// The flags word of the block's base, after wIdent, nFib, an unused word, lid and pnNext.
inline constexpr std::size_t kFlagsOffset = 0x0A;
// fEncrypted: the text is encrypted or XOR-obfuscated (then fObfuscated, 0x8000, tells which; it
// counts for nothing on its own, so a file that sets only it is read as Word reads it: in clear).
inline constexpr std::uint16_t kEncryptedFlag = 0x0100;

// Whether the block says the document's text needs a password. A stream too short to hold the
// flags says nothing.
constexpr bool IsEncrypted(const std::uint8_t* stream, std::size_t length) {
    if (length < kFlagsOffset + 2) {
        return false;
    }
    const auto flags =
        static_cast<std::uint16_t>(stream[kFlagsOffset] | (stream[kFlagsOffset + 1] << 8));
    return (flags & kEncryptedFlag) != 0;
}

}  // namespace kalvor::scan::word
