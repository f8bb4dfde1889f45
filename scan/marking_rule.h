#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

// What a classification marking is, written once for the detector, its vector kernels and the
// plain reference search that holds them to it.
namespace kalvor::scan::marking {

// The unit every marking ends in: 密.
inline constexpr char16_t kMark = u'密';
// The units a marking starts with: the simplified forms only (not 機, 絕).
inline constexpr std::array<char16_t, 3> kLeads = {u'秘', u'机', u'绝'};
// The units that may stand between the two, any number of them: space and tab only (not U+3000,
// U+00A0, CR or LF).
inline constexpr std::array<char16_t, 2> kFillers = {u' ', u'\t'};
// Asked for, not the default: the 1999 layout of official documents sets a level standing alone
// with a full-width space between its characters, and some writers put a no-break space there.
inline constexpr std::array<char16_t, 4> kWideFillers = {u' ', u'\t', u'\u3000', u'\u00A0'};

// Which units a search accepts between a lead and 密.
enum class MatchRule {
    Default,  // spaces and tabs
    Wide,     // also U+3000 and U+00A0
};

// 密 as it lies in a UTF-16LE stream, at any byte offset.
inline constexpr std::uint8_t kMarkFirstByte = kMark & 0xFF;
inline constexpr std::uint8_t kMarkSecondByte = kMark >> 8;

// Byte 5 of the "WordDocument" stream, the high byte of the file information block's version
// field: Word 97 to 2003 write one of these.
inline constexpr std::size_t kVersionByteOffset = 5;
inline constexpr std::array<std::uint8_t, 3> kAcceptedVersions = {0x20, 0x40, 0x60};

constexpr bool IsLead(char16_t unit) {
    return std::find(kLeads.begin(), kLeads.end(), unit) != kLeads.end();
}

constexpr bool IsFiller(char16_t unit) {
    return std::find(kFillers.begin(), kFillers.end(), unit) != kFillers.end();
}

constexpr bool IsFiller(char16_t unit, MatchRule rule) {
    return rule == MatchRule::Wide
               ? std::find(kWideFillers.begin(), kWideFillers.end(), unit) != kWideFillers.end()
               : IsFiller(unit);
}

constexpr bool IsAcceptedVersion(std::uint8_t version) {
    return std::find(kAcceptedVersions.begin(), kAcceptedVersions.end(), version) !=
           kAcceptedVersions.end();
}

namespace detail {

// The high byte of every lead and filler unit, sorted, with repeats.
constexpr std::array<std::uint8_t, kLeads.size() + kFillers.size()> SortedFrontHighBytes() {
    std::array<std::uint8_t, kLeads.size() + kFillers.size()> bytes{};
    std::size_t count = 0;
    for (const char16_t unit : kLeads) {
        bytes[count++] = static_cast<std::uint8_t>(unit >> 8);
    }
    for (const char16_t unit : kFillers) {
        bytes[count++] = static_cast<std::uint8_t>(unit >> 8);
    }
    std::sort(bytes.begin(), bytes.end());
    return bytes;
}

constexpr std::size_t CountDistinctFrontHighBytes() {
    std::array bytes = SortedFrontHighBytes();
    return static_cast<std::size_t>(std::unique(bytes.begin(), bytes.end()) - bytes.begin());
}

}  // namespace detail

// The high bytes of the units a marking's 密 may follow, each once: the vector kernels keep a
// pair only when the byte in front of it is one of these.
inline constexpr auto kFrontHighBytes = [] {
    std::array bytes = detail::SortedFrontHighBytes();
    std::unique(bytes.begin(), bytes.end());
    std::array<std::uint8_t, detail::CountDistinctFrontHighBytes()> distinct{};
    std::copy_n(bytes.begin(), distinct.size(), distinct.begin());
    return distinct;
}();

constexpr bool PassesFrontFilter(char16_t unit) {
    return std::find(kFrontHighBytes.begin(), kFrontHighBytes.end(), unit >> 8) !=
           kFrontHighBytes.end();
}

static_assert(std::all_of(kLeads.begin(), kLeads.end(), PassesFrontFilter) &&
                  std::all_of(kFillers.begin(), kFillers.end(), PassesFrontFilter),
              "the kernels' filter keeps every pair a marking may end in");
static_assert(kFrontHighBytes.size() == 4, "秘, 机, 绝 and the fillers' 0x00");

}  // namespace kalvor::scan::marking
