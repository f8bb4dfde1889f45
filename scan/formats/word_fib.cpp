#include "scan/formats/word_fib.h"

namespace kalvor::scan::word {

std::optional<TextLayout> ReadTextLayout(std::span<const std::uint8_t> stream) {
    if (stream.size() < sizeof(RawFib)) {
        return std::nullopt;
    }
    const auto fib = cfb::LoadRecord<RawFib>(stream, 0);
    if (fib.shortCount.Value() != kShortCount || fib.longCount.Value() != kLongCount ||
        fib.pairCount.Value() < fib.pairsBeforeClx.size() + 1) {
        return std::nullopt;
    }
    TextLayout layout{.tableOne = (fib.flags.Value() & kTableOneFlag) != 0,
                      .storyLengths = {fib.ccpText.Value(), fib.ccpFtn.Value(), fib.ccpHdd.Value(),
                                       fib.ccpAtn.Value(), fib.ccpEdn.Value(), fib.ccpTxbx.Value(),
                                       fib.ccpHdrTxbx.Value()},
                      .clxOffset = fib.clx.fc.Value(),
                      .clxLength = fib.clx.lcb.Value()};
    for (const std::uint32_t length : layout.storyLengths) {
        if (length > 0x7FFFFFFF) {
            return std::nullopt;
        }
    }
    return layout;
}

std::optional<TextLayout::Placed> TextLayout::StoryAt(std::uint32_t cp) const {
    std::uint64_t start = 0;
    for (std::size_t story = 0; story < kStoryCount; ++story) {
        const std::uint64_t end = start + storyLengths[story];
        if (cp < end) {
            return Placed{static_cast<Story>(story), start, end};
        }
        start = end;
    }
    return std::nullopt;
}

}  // namespace kalvor::scan::word
