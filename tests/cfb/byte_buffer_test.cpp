#include "cfb/byte_buffer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalvor::cfb {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Where a buffer asked for huge pages, as offsets from the start of its memory.
struct Advice {
    std::size_t from;
    std::size_t bytes;
    bool operator==(const Advice&) const = default;
};

class AdviceRecorder final : public MemoryHook {
  public:
    void* Charge(std::size_t /*bytes*/) override { return nullptr; }
    void Give(void* /*payer*/, std::size_t /*bytes*/) noexcept override {}
    void AdviseLargeBuffer(void* start, std::size_t bytes) override {
        advised.push_back({static_cast<std::uint8_t*>(start), bytes});
    }

    struct Call {
        std::uint8_t* start;
        std::size_t bytes;
    };
    std::vector<Call> advised;
};

// Huge pages are asked for only where the bytes taken fill at least half of one, each once, and
// always aligned to one.
TEST(ByteBuffer, AsksForHugePagesOnlyWhereTheBytesTakenFillHalfOfOne) {
    struct Case {
        const char* name;
        std::vector<std::size_t> takes;
        std::vector<Advice> advice;  // of the last take's memory
    };
    const std::vector<Case> cases = {
        {"small buffers never", {64 * 1024, 900 * 1024}, {}},
        {"never past a small buffer's end", {512 * 1024, kMiB}, {}},
        {"one half-filled huge page", {kMiB}, {{0, 2 * kMiB}}},
        {"the last page rounds up from half", {3 * kMiB}, {{0, 4 * kMiB}}},
        {"the last page less than half filled", {5 * kMiB - 1}, {{0, 4 * kMiB}}},
        {"only pages not asked for before",
         {3 * kMiB, 5 * kMiB + kMiB / 2},
         {{0, 4 * kMiB}, {4 * kMiB, 2 * kMiB}}},
        {"fewer bytes ask for nothing", {5 * kMiB, 2 * kMiB}, {{0, 6 * kMiB}}},
        {"a buffer that moves asks anew", {kMiB, 3 * kMiB}, {{0, 4 * kMiB}}}};
    for (const Case& test : cases) {
        AdviceRecorder recorder;
        ByteBuffer buffer(recorder);
        std::uint8_t* start = nullptr;
        std::size_t firstOfLast = 0;
        for (const std::size_t take : test.takes) {
            const std::size_t before = recorder.advised.size();
            std::uint8_t* const taken = buffer.Take(take).data();
            if (taken != start) {
                start = taken;
                firstOfLast = before;
            }
        }
        std::vector<Advice> advice;
        for (std::size_t i = firstOfLast; i < recorder.advised.size(); ++i) {
            const AdviceRecorder::Call& call = recorder.advised[i];
            advice.push_back({static_cast<std::size_t>(call.start - start), call.bytes});
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(call.start) % (2 * kMiB), 0U) << test.name;
        }
        EXPECT_EQ(advice, test.advice) << test.name;
    }
}

}  // namespace
}  // namespace kalvor::cfb
