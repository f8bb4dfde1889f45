#include "scan/mark_pair.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "reference/marking_by_byte_loop.h"
#include "scan/mark_pair_kernels.h"

namespace kalvor::scan {
namespace {

using Position = std::optional<std::uint32_t>;
using reference::MarkingByteByByte;
using reference::PairByteByByte;

struct PairCase {
    const char* name;
    std::vector<std::uint8_t> block;
    std::uint32_t length;
    Position expected;
};

TEST(FindMarkPair, ExaminesPositionsZeroToLengthMinusThree) {
    const std::vector<PairCase> cases = {
        {"empty block", {}, 0, std::nullopt},
        {"length 1", {0xC6}, 1, std::nullopt},
        {"length 2 holding the pair", {0xC6, 0x5B}, 2, std::nullopt},
        {"length 3 examines position 0", {0xC6, 0x5B, 0x00}, 3, 0},
        {"length 3 never examines position 1", {0x00, 0xC6, 0x5B}, 3, std::nullopt},
        {"even offset", {0x00, 0x00, 0xC6, 0x5B, 0x00}, 5, 2},
        {"odd offset", {0x00, 0xC6, 0x5B, 0x00}, 4, 1},
        {"a lone first byte is passed over", {0xC6, 0xC6, 0x5B, 0x00}, 4, 1},
        {"bytes in the other order", {0x5B, 0xC6, 0x00, 0x00}, 4, std::nullopt},
        {"first of two pairs", {0xC6, 0x5B, 0xC6, 0x5B, 0x00}, 5, 0},
        {"last position is length - 3", {0x00, 0x00, 0x00, 0xC6, 0x5B, 0x00}, 6, 3},
        {"the last two bytes never", {0x00, 0x00, 0x00, 0x00, 0xC6, 0x5B}, 6, std::nullopt},
        {"length - 2 negative as 32-bit", {0xC6, 0x5B, 0x00, 0x00}, 0xFFFFFFFFu, std::nullopt},
        {"length - 2 just past 2 GiB", {0xC6, 0x5B, 0x00, 0x00}, 0x80000002u, std::nullopt},
    };
    for (const PairCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindMarkPair(c.block.data(), c.length), c.expected);
        for (const SearchKernel kernel : RunnableKernels()) {
            EXPECT_EQ(FindMarkPairWith(kernel, c.block.data(), c.length), c.expected)
                << KernelName(kernel);
        }
    }
}

// Both searches, with the kernel chosen for the block and with every kernel this processor runs,
// on exactly `block`, held in memory of its own size, so a read past its end is a fault under
// the address sanitizer.
void ExpectSameAsByteByByte(const std::vector<std::uint8_t>& block) {
    const std::vector<std::uint8_t> exact(block);
    const auto length = static_cast<std::uint32_t>(exact.size());
    const Position pair = PairByteByByte(exact);
    const Position marking = MarkingByteByByte(exact);
    ASSERT_EQ(FindMarkPair(exact.data(), length), pair) << "length " << length;
    ASSERT_EQ(FindMarking(exact.data(), length), marking) << "length " << length;
    ASSERT_EQ(FindMarking(exact.data(), length, marking::MatchRule::Wide),
              MarkingByteByByte(exact, marking::MatchRule::Wide))
        << "wide, length " << length;
    // From a third of the way in, with leads looked for in front of it.
    const std::uint32_t from = length / 3;
    Position markingFrom = PairByteByByte(exact, from);
    while (markingFrom.has_value() && !IsMarkingAt(exact.data(), *markingFrom)) {
        markingFrom = PairByteByByte(exact, *markingFrom + 2);
    }
    for (const SearchKernel kernel : RunnableKernels()) {
        ASSERT_EQ(FindMarkPairWith(kernel, exact.data(), length), pair)
            << KernelName(kernel) << ", length " << length;
        ASSERT_EQ(FindMarkingWith(kernel, exact.data(), length), marking)
            << KernelName(kernel) << ", length " << length;
        ASSERT_EQ(FindMarkingWith(kernel, exact.data(), length, from), markingFrom)
            << KernelName(kernel) << ", length " << length << ", from " << from;
    }
}

// Every length up to 200, then lengths around the multiples of the widest vector, up to where the
// widest search runs a few rounds and then a tail.
std::vector<std::size_t> LengthsAcrossVectorBoundaries() {
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= 200; ++length) {
        lengths.push_back(length);
    }
    for (std::size_t multiple = 256; multiple <= 704; multiple += 64) {
        for (std::size_t length = multiple - 3; length <= multiple + 3; ++length) {
            lengths.push_back(length);
        }
    }
    return lengths;
}

// Bytes that make pairs, half pairs, leads and fillers of either rule likely, at any alignment.
class NearMisses {
  public:
    explicit NearMisses(std::uint32_t seed) : random_(seed) {}

    std::vector<std::uint8_t> Block(std::size_t length) {
        static constexpr std::uint8_t kBytes[] = {0xC6, 0x5B, 0xD8, 0x79, 0x3A, 0x67, 0xDD,
                                                  0x7E, 0x20, 0x09, 0x00, 0x4F, 0x30, 0xA0};
        std::vector<std::uint8_t> block(length);
        for (std::uint8_t& byte : block) {
            byte = kBytes[random_() % std::size(kBytes)];
        }
        return block;
    }

    // UTF-16LE text of lead characters, 密, fillers of either rule and other characters, shifted by
    // `shift` bytes.
    std::vector<std::uint8_t> Text(std::size_t units, std::size_t shift) {
        static constexpr char16_t kUnits[] = {u'秘',     u'机',     u'绝',     u'密',    u'密',
                                              u' ',      u' ',      u'\t',     u'保',    u'码',
                                              u'\u5B00', u'\uC65B', u'\u3000', u'\u00A0'};
        std::vector<std::uint8_t> block(shift, 0x5B);
        for (std::size_t i = 0; i < units; ++i) {
            const char16_t unit = kUnits[random_() % std::size(kUnits)];
            block.push_back(static_cast<std::uint8_t>(unit & 0xFF));
            block.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        return block;
    }

    std::size_t Below(std::size_t bound) { return random_() % bound; }

  private:
    std::mt19937 random_;
};

TEST(FindMarkPair, FindsWhatTheByteLoopFindsAtEveryPositionOfShortBlocks) {
    for (const std::size_t length : LengthsAcrossVectorBoundaries()) {
        for (std::size_t p = 0; p + 1 < length; ++p) {
            std::vector<std::uint8_t> block(length, 0x5B);
            block[p] = 0xC6;
            ExpectSameAsByteByByte(block);
            if (p + 3 < length) {
                block[p + 2] = 0xC6;  // two candidates: the first counts
                ExpectSameAsByteByByte(block);
            }
        }
    }
}

TEST(FindMarkPair, FindsWhatTheByteLoopFindsInRandomBlocks) {
    NearMisses random(1);
    for (int round = 0; round < 20000; ++round) {
        ExpectSameAsByteByByte(random.Block(random.Below(800)));
    }
    for (int round = 0; round < 20; ++round) {
        ExpectSameAsByteByByte(random.Block(100'000 + random.Below(1000)));
    }
}

TEST(FindMarking, FindsWhatTheSearchResumedAfterEachRejectedPairFinds) {
    NearMisses random(2);
    for (int round = 0; round < 20000; ++round) {
        ExpectSameAsByteByByte(random.Text(random.Below(400), random.Below(2)));
    }
    for (int round = 0; round < 50; ++round) {
        ExpectSameAsByteByByte(random.Text(20'000 + random.Below(1000), random.Below(2)));
    }
}

TEST(FindMarking, SeesAMarkingWhereverItLiesAgainstVectorBoundaries) {
    const std::vector<std::uint8_t> marking = {0xD8, 0x79, 0x20, 0x00, 0x09, 0x00, 0xC6, 0x5B};
    for (const std::size_t length : LengthsAcrossVectorBoundaries()) {
        for (std::size_t at = 0; at + marking.size() <= length; ++at) {
            std::vector<std::uint8_t> block(length, 0x20);
            std::copy(marking.begin(), marking.end(), block.begin() + static_cast<long>(at));
            ExpectSameAsByteByByte(block);
        }
    }
}

TEST(IsMarkingAt, NeverLooksInFrontOfTheBlock) {
    const std::vector<std::uint8_t> fillerToStart = {0x20, 0x00, 0x09, 0x00, 0xC6, 0x5B, 0x00};
    EXPECT_FALSE(IsMarkingAt(fillerToStart.data(), 4));
    const std::vector<std::uint8_t> pairAtOne = {0x79, 0xC6, 0x5B, 0x00};
    EXPECT_FALSE(IsMarkingAt(pairAtOne.data(), 1));
    const std::vector<std::uint8_t> lead = {0x3A, 0x67, 0x20, 0x00, 0xC6, 0x5B, 0x00};
    EXPECT_TRUE(IsMarkingAt(lead.data(), 4));
}

}  // namespace
}  // namespace kalvor::scan
