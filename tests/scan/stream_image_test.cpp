#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cfb/byte_source.h"
#include "cfb/compound_file.h"
#include "cfb/memory_hook.h"
#include "reference/marking_by_byte_loop.h"
#include "scan/formats/word_document.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/word_stream.h"

namespace kalvor::scan {
namespace {

using testing::StreamPiece;
using testing::Utf16Le;
using testing::WordStream;
using testing::WordStreamWithText;

constexpr Examination kMarked{MarkingVerdict::Marked, std::nullopt};
constexpr Examination kNotMarked{MarkingVerdict::NotMarked, std::nullopt};
constexpr Examination kTooShort{MarkingVerdict::NotExamined, WordStreamRefusal::TooShort};
constexpr Examination kUnsupported{MarkingVerdict::NotExamined,
                                   WordStreamRefusal::UnsupportedVersion};

const std::vector<std::uint8_t> kSecretBytes = {0xD8, 0x79, 0xC6, 0x5B};  // 秘密

struct ImageCase {
    const char* name;
    std::vector<std::uint8_t> stream;
    Examination expected;
};

void ExpectVerdicts(const std::vector<ImageCase>& cases) {
    for (const ImageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Examination got =
            CheckStreamImage(c.stream.data(), static_cast<std::uint32_t>(c.stream.size()));
        EXPECT_EQ(got.verdict, c.expected.verdict);
        EXPECT_EQ(got.reason, c.expected.reason);
    }
}

// Text placed after the file information block, each with the verdict it must get under `rule`.
void ExpectTextVerdicts(std::initializer_list<std::u16string_view> texts, Examination expected,
                        marking::MatchRule rule = marking::MatchRule::Default) {
    for (const std::u16string_view text : texts) {
        const std::vector<std::uint8_t> stream = WordStreamWithText(text);
        const Examination got = CheckStreamImage(stream.data(), stream.size(), rule);
        EXPECT_EQ(got.verdict, expected.verdict) << ::testing::PrintToString(std::u16string(text));
    }
}

TEST(CheckStreamImage, FindsTheThreeMarkingsWithSpacesOrTabsBetween) {
    ExpectTextVerdicts({u"正文秘密正文", u"机密", u"绝密", u"机  \t密", u"绝\t \t      \t密"},
                       kMarked);
    ExpectVerdicts({{"odd offset", WordStream(64, {{33, kSecretBytes}}), kMarked}});
}

TEST(CheckStreamImage, OnlySpaceAndTabAreFillerAndOnlySimplifiedLeadsCount) {
    ExpectTextVerdicts({u"秘\u3000密", u"秘\u00A0密", u"秘\r密", u"机\n密", u"绝 \n 密"},
                       kNotMarked);
    ExpectTextVerdicts({u"保密", u"密码", u"機密", u"絕密", u"密秘", u"秘机绝"}, kNotMarked);
}

TEST(CheckStreamImage, TheWideRuleAlsoTakesFullWidthAndNoBreakSpaces) {
    ExpectTextVerdicts({u"秘\u3000密", u"机\u00A0密", u"绝 \u3000\t\u00A0密", u"机密"}, kMarked,
                       marking::MatchRule::Wide);
    ExpectTextVerdicts({u"秘\r密", u"機\u3000密", u"秘\u2003密", u"保\u3000密"}, kNotMarked,
                       marking::MatchRule::Wide);
}

TEST(CheckStreamImage, ResumesAfterARejectedHit) {
    ExpectVerdicts({
        {"保密 then 绝密", WordStreamWithText(u"保密文件 绝密"), kMarked},
        {"密密 then 秘密", WordStreamWithText(u"密密秘密"), kMarked},
        {"保密 then 秘密 ending at length - 1",
         WordStream(65, {{40, Utf16Le(u"保密")}, {60, kSecretBytes}}), kMarked},
        {"保密 then 秘密 in the last two bytes",
         WordStream(64, {{40, Utf16Le(u"保密")}, {60, kSecretBytes}}), kNotMarked},
        {"rejected hit at length - 5, pair at length - 3",
         WordStream(32, {{27, {0xC6, 0x5B, 0xC6, 0x5B, 0x00}}}), kNotMarked},
        {"rejected hit at length - 4", WordStream(32, {{28, {0xC6, 0x5B, 0xC6, 0x5B}}}),
         kNotMarked},
    });
}

TEST(CheckStreamImage, NeverLooksInFrontOfTheStream) {
    const std::vector<std::uint8_t> fillerToStart = {0x00, 0x20, 0x00, 0x20, 0x00,
                                                     0x20, 0x00, 0xC6, 0x5B};
    ExpectVerdicts({
        {"pair at offset 0", WordStream(16, {{0, {0xC6, 0x5B}}}), kNotMarked},
        {"pair at offset 1", WordStream(16, {{0, {0x79, 0xC6, 0x5B}}}), kNotMarked},
        {"pair at offset 0, marking later", WordStream(32, {{0, {0xC6, 0x5B}}, {20, kSecretBytes}}),
         kMarked},
        {"filler back to the start", WordStream(32, {{0, fillerToStart}}), kNotMarked},
        {"filler back to the start, marking later",
         WordStream(32, {{0, fillerToStart}, {20, kSecretBytes}}), kMarked},
    });
}

TEST(CheckStreamImage, NeverTakesTheLastTwoBytesAsAPair) {
    ExpectVerdicts({
        {"marking in the last four bytes", WordStream(64, {{60, kSecretBytes}}), kNotMarked},
        {"one byte after it", WordStream(65, {{60, kSecretBytes}}), kMarked},
    });
}

TEST(CheckStreamImage, ExaminesOnlyTheThreeAcceptedVersions) {
    for (const std::uint8_t version : {0x20, 0x40, 0x60}) {
        SCOPED_TRACE(version);
        const std::vector<std::uint8_t> stream = WordStreamWithText(u"秘密", version);
        EXPECT_EQ(CheckStreamImage(stream.data(), stream.size()).verdict, MarkingVerdict::Marked);
    }
    for (const std::uint8_t version : {0x00, 0x1F, 0x21, 0x41, 0x61, 0xC1, 0xE0, 0xFF}) {
        SCOPED_TRACE(version);
        ExpectVerdicts({{"marked", WordStreamWithText(u"秘密", version), kUnsupported},
                        {"unmarked", WordStreamWithText(u"正文", version), kUnsupported}});
    }
}

TEST(CheckStreamImage, AStreamWithoutAVersionByteIsTooShort) {
    for (std::size_t length = 0; length <= 5; ++length) {
        SCOPED_TRACE(length);
        ExpectVerdicts({{"short", std::vector<std::uint8_t>(length, 0x20), kTooShort}});
    }
    ExpectVerdicts({{"秘密 in five bytes", {0xD8, 0x79, 0xC6, 0x5B, 0x20}, kTooShort},
                    {"six bytes", WordStream(6, {}), kNotMarked}});
}

// A stream of `units` characters drawn from leads, 密, spaces, tabs and others, shifted by one
// byte when `odd`, with one of the three accepted version bytes or another.
std::vector<std::uint8_t> RandomStream(std::mt19937& random, std::size_t units, bool odd) {
    static constexpr char16_t kUnits[] = {u'秘', u'机', u'绝', u'密', u'密',    u'密',
                                          u' ',  u'\t', u'保', u'码', u'\u3000'};
    static constexpr std::uint8_t kVersions[] = {0x20, 0x40, 0x60, 0x20, 0x00, 0xC1};
    std::vector<std::uint8_t> stream(odd ? 7 : 6, 0);
    stream[5] = kVersions[random() % std::size(kVersions)];
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = kUnits[random() % std::size(kUnits)];
        stream.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        stream.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    stream.resize(random() % 8 == 0 ? random() % 6 : stream.size() - random() % 2);
    return stream;
}

Examination ByteByByte(const std::vector<std::uint8_t>& stream) {
    if (stream.size() <= 5) {
        return kTooShort;
    }
    if (stream[5] != 0x20 && stream[5] != 0x40 && stream[5] != 0x60) {
        return kUnsupported;
    }
    if (reference::MarkingByteByByte(stream).has_value()) {
        return kMarked;
    }
    const bool encrypted = stream.size() >= 12 && (stream[11] & 0x01) != 0;
    return encrypted ? Examination{MarkingVerdict::NotExamined, WordStreamRefusal::Encrypted}
                     : kNotMarked;
}

TEST(CheckStreamImage, GivesTheVerdictOfTheSearchAsFirstWritten) {
    std::mt19937 random(3);
    for (int round = 0; round < 20000; ++round) {
        const std::vector<std::uint8_t> stream =
            RandomStream(random, round % 100 == 0 ? 30'000 : random() % 120, random() % 2 == 0);
        const Examination expected = ByteByByte(stream);
        const Examination got = CheckStreamImage(stream.data(), stream.size());
        ASSERT_EQ(got.verdict, expected.verdict) << "round " << round;
        ASSERT_EQ(got.reason, expected.reason) << "round " << round;
    }
}

// The verdict on `stream` searched in chunks of `chunkBytes` as they are read, which must be the
// verdict on the whole stream.
Examination InChunks(const std::vector<std::uint8_t>& stream, std::size_t chunkBytes) {
    const std::vector<std::uint8_t> file = testing::BuildWordDocument(stream);
    cfb::MemoryByteSource source(file);
    cfb::RootStreamReader reader(cfb::UnchargedMemory());
    return ExamineWordDocumentStream(source, reader, marking::MatchRule::Default, nullptr,
                                     chunkBytes);
}

TEST(CheckStreamImage, ComesToTheSameVerdictInChunksWhereverTheyEnd) {
    // Past the first window a file is read through, so read in chunks, not used where it lies.
    constexpr std::size_t kLength = 300'000;
    const std::vector<std::uint8_t> leadAndFillers = Utf16Le(u"秘   \t  ");
    std::vector<ImageCase> cases = {
        {"unmarked", WordStream(kLength, {{700, Utf16Le(u"保密 密码")}}), kNotMarked},
        {"fillers from a lead to past a chunk's keeping",
         WordStream(kLength, {{90, Utf16Le(u"机" + std::u16string(70, u' ') + u"密")}}), kMarked},
        {"fillers past a chunk's keeping after another unit",
         WordStream(kLength, {{90, Utf16Le(u"保" + std::u16string(70, u'\t') + u"密")}}),
         kNotMarked},
        {"marking in the last two bytes", WordStream(kLength, {{kLength - 4, kSecretBytes}}),
         kNotMarked},
        {"marking ending one byte before the end",
         WordStream(kLength, {{kLength - 5, kSecretBytes}}), kMarked},
        {"encrypted, marked far in",
         WordStream(kLength, {{11, {0x01}}, {kLength - 100, kSecretBytes}}), kMarked},
        {"encrypted, unmarked",
         WordStream(kLength, {{11, {0x01}}}),
         {MarkingVerdict::NotExamined, WordStreamRefusal::Encrypted}},
        {"another version, marked far in",
         WordStream(kLength, {{kLength - 100, kSecretBytes}}, 0xC1), kUnsupported},
    };
    // A lead, fillers and 密 laid over every offset around the ends of chunks of 64 and of 100.
    for (std::size_t at = 110; at < 136; ++at) {
        std::vector<std::uint8_t> marking = leadAndFillers;
        marking.insert(marking.end(), kSecretBytes.begin() + 2, kSecretBytes.end());
        cases.push_back({"marking", WordStream(kLength, {{at, marking}}), kMarked});
        cases.push_back({"lead, fillers, 保密",
                         WordStream(kLength, {{at, leadAndFillers},
                                              {at + leadAndFillers.size(), Utf16Le(u"保密")}}),
                         kNotMarked});
    }
    for (const std::size_t chunkBytes : {64, 100, 4096}) {
        for (const ImageCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", chunks of " + std::to_string(chunkBytes));
            const Examination got = InChunks(c.stream, chunkBytes);
            EXPECT_EQ(got.verdict, c.expected.verdict);
            EXPECT_EQ(got.reason, c.expected.reason);
        }
    }
}

}  // namespace
}  // namespace kalvor::scan
