#include "scan/mark_pair.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace kalvor::scan {
namespace {

struct PairCase {
    const char* name;
    std::vector<std::uint8_t> block;
    std::uint32_t length;
    std::optional<std::uint32_t> expected;
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
    }
}

}  // namespace
}  // namespace kalvor::scan
