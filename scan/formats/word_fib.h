#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "cfb/layout.h"

// The fields of a Word 97-2003 file information block that the examination reads, at the start
// of the "WordDocument" stream. Encryption leaves the flags in the clear.
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

// The stories of a document's text, in the order their characters follow one another: each
// starts where the one before ends (the macro story between headers and comments is always
// empty in Word 97 and later, and ignored).
enum class Story {
    Main,
    Footnotes,
    HeadersFooters,
    Comments,
    Endnotes,
    TextBoxes,
    HeaderTextBoxes
};
inline constexpr std::size_t kStoryCount = 7;

// An offset and a length in the table stream.
struct RawFcLcb {
    cfb::ulittle32_t fc;
    cfb::ulittle32_t lcb;
};

// The block of Word 97 and later up to where it says the piece table is: its base, then three
// arrays each after its count: 16-bit fields, 32-bit fields (the stories' lengths among them),
// and offset-length pairs (the CLX's the 34th).
struct RawFib {
    cfb::ulittle16_t ident;
    cfb::ulittle16_t version;
    std::array<std::uint8_t, 6> unusedLidNext;
    cfb::ulittle16_t flags;
    std::array<std::uint8_t, 20> baseRest;
    cfb::ulittle16_t shortCount;
    std::array<cfb::ulittle16_t, 14> shorts;
    cfb::ulittle16_t longCount;
    std::array<cfb::ulittle32_t, 3> longsBeforeText;  // cbMac, two reserved
    cfb::ulittle32_t ccpText;
    cfb::ulittle32_t ccpFtn;
    cfb::ulittle32_t ccpHdd;
    cfb::ulittle32_t ccpMcr;
    cfb::ulittle32_t ccpAtn;
    cfb::ulittle32_t ccpEdn;
    cfb::ulittle32_t ccpTxbx;
    cfb::ulittle32_t ccpHdrTxbx;
    std::array<cfb::ulittle32_t, 11> longsRest;
    cfb::ulittle16_t pairCount;
    std::array<RawFcLcb, 33> pairsBeforeClx;
    RawFcLcb clx;
};
static_assert(sizeof(RawFib) == 0x1AA && offsetof(RawFib, flags) == kFlagsOffset &&
              offsetof(RawFib, shortCount) == 0x20 && offsetof(RawFib, longCount) == 0x3E &&
              offsetof(RawFib, ccpText) == 0x4C && offsetof(RawFib, pairCount) == 0x98 &&
              offsetof(RawFib, clx) == 0x1A2);

// What Word 97 and every later version write as the counts of the arrays.
inline constexpr std::uint16_t kShortCount = 14;
inline constexpr std::uint16_t kLongCount = 22;
inline constexpr std::uint16_t kPairCount = 93;
// fWhichTblStm: the tables are in "1Table", not "0Table".
inline constexpr std::uint16_t kTableOneFlag = 0x0200;

// Where the block says a document's text is described.
struct TextLayout {
    bool tableOne = false;
    std::array<std::uint32_t, kStoryCount> storyLengths{};  // in characters, by Story
    std::uint32_t clxOffset = 0;  // of the piece table's CLX, in the table stream
    std::uint32_t clxLength = 0;

    // The story holding character position `cp`, and the positions it spans; nothing beyond
    // the last story.
    struct Placed {
        Story story;
        std::uint64_t start;
        std::uint64_t end;  // excluded
    };
    std::optional<Placed> StoryAt(std::uint32_t cp) const;
};

// The text layout of the block at the start of `stream`; nothing when the block is not one of
// Word 97 or later (its counts of fields not what those write) or a story's length is negative.
std::optional<TextLayout> ReadTextLayout(std::span<const std::uint8_t> stream);

}  // namespace kalvor::scan::word
