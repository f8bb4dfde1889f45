#include "scan/mark_pair.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "scan/mark_pair_kernels.h"
#include "scan/marking_rule.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KALVOR_HAVE_X86_KERNELS 1
#endif

namespace kalvor::scan {

namespace {

constexpr std::uint8_t kPairFirst = marking::kMarkFirstByte;
constexpr std::uint8_t kPairSecond = marking::kMarkSecondByte;
constexpr auto kFrontHighBytes = marking::kFrontHighBytes;

// The front filter as one byte-shuffle lookup: entry n holds the front byte whose low nibble is
// n, or else a byte whose low nibble is not n, so a byte x is a front byte exactly when entry
// (x & 0x0F) equals it. The shuffle gives 0 for a byte with its top bit set, which then never
// equals it, so no front byte may have that bit. It looks up within each 16 bytes of a vector, so
// the table stands once for each 16 bytes of the widest vector.
constexpr std::array<std::uint8_t, 64> kFrontByLowNibble = [] {
    std::array<std::uint8_t, 64> table{};
    for (std::size_t entry = 0; entry < table.size(); ++entry) {
        table[entry] = static_cast<std::uint8_t>(0x80 | ((entry + 1) & 0x0F));
        for (const std::uint8_t byte : kFrontHighBytes) {
            if ((byte & 0x0F) == (entry & 0x0F)) {
                table[entry] = byte;
            }
        }
    }
    return table;
}();

static_assert(std::all_of(kFrontHighBytes.begin(), kFrontHighBytes.end(),
                          [](std::uint8_t byte) {
                              return byte < 0x80 && kFrontByLowNibble[byte & 0x0F] == byte;
                          }),
              "each front byte has a low nibble of its own and its top bit clear");

using Position = std::optional<std::uint32_t>;

char16_t UnitAt(const std::uint8_t* block, std::int64_t offset) {
    return static_cast<char16_t>(block[offset] | (block[offset + 1] << 8));
}

enum class Wanted { AnyPair, Marking };

template <Wanted kWanted>
bool Accepts(const std::uint8_t* block, std::uint32_t hit) {
    return kWanted == Wanted::AnyPair || IsMarkingAt(block, hit);
}

// The first position base + i, for the bits i set in `mask` in rising order, that is wanted.
template <Wanted kWanted, typename Mask>
Position FirstWanted(Mask mask, std::uint32_t base, const std::uint8_t* block) {
    for (; mask != 0; mask &= mask - 1) {
        const std::uint32_t hit = base + static_cast<std::uint32_t>(std::countr_zero(mask));
        if (Accepts<kWanted>(block, hit)) {
            return hit;
        }
    }
    return std::nullopt;
}

// Every search below looks at the positions from `from` up to `end` (excluded) of `block` and may
// read the byte at `end`, the second byte of the last position, and, to weigh a pair, the bytes in
// front of it down to the start of the block.

template <Wanted kWanted>
Position SearchBytewise(const std::uint8_t* block, std::uint32_t from, std::uint32_t end) {
    for (std::uint32_t i = from; i < end; ++i) {
        if (block[i] == kPairFirst && block[i + 1] == kPairSecond && Accepts<kWanted>(block, i)) {
            return i;
        }
    }
    return std::nullopt;
}

// The vector searches compare both bytes of every position at once, so their speed does not
// depend on how often either byte occurs alone: in Chinese UTF-16 text 0x5B is the high byte of
// every character from U+5B00 to U+5BFF. A marking is searched for by keeping only the pairs whose
// unit in front has the high byte of a lead character, a space or a tab, and testing those one by
// one. That drops almost every pair of Chinese text (保密, 密码) without a branch, so the branch
// taken once per round stays predictable however often 密 occurs.
//
// `Lanes` gives, for the `kWidth` positions from a pointer, its `Hits` (HitsAt): the pairs, or the
// pairs kept for a closer look when a marking is wanted, which also reads the byte in front. A
// round asks of four at once whether any holds one (AnyOf) before it turns them into bit masks
// (MaskOf). Hits pass by reference only: between functions built for different instruction sets
// a vector passed by value is not where the other side looks for it.
template <typename Lanes, Wanted kWanted>
Position SearchVectors(const Lanes& lanes, const std::uint8_t* block, std::uint32_t from,
                       std::uint32_t end) {
    constexpr std::uint32_t kWidth = Lanes::kWidth;
    using Hits = typename Lanes::Hits;
    const auto maskAt = [&](std::uint32_t at) {
        Hits hits;
        lanes.template HitsAt<kWanted>(block, at, hits);
        return Lanes::MaskOf(hits);
    };
    std::uint32_t i = from;
    for (; i + 4 * kWidth <= end; i += 4 * kWidth) {
        // Four of their own rather than an array, which GCC sends through the stack on every
        // round; a round without a hit, nearly every one, makes no bit mask at all.
        Hits first;
        Hits second;
        Hits third;
        Hits fourth;
        lanes.template HitsAt<kWanted>(block, i, first);
        lanes.template HitsAt<kWanted>(block, i + kWidth, second);
        lanes.template HitsAt<kWanted>(block, i + 2 * kWidth, third);
        lanes.template HitsAt<kWanted>(block, i + 3 * kWidth, fourth);
        if (!Lanes::AnyOf(first, second, third, fourth)) {
            continue;
        }
        if (const Position found = FirstWanted<kWanted>(Lanes::MaskOf(first), i, block)) {
            return found;
        }
        if (const Position found = FirstWanted<kWanted>(Lanes::MaskOf(second), i + kWidth, block)) {
            return found;
        }
        if (const Position found =
                FirstWanted<kWanted>(Lanes::MaskOf(third), i + 2 * kWidth, block)) {
            return found;
        }
        if (const Position found =
                FirstWanted<kWanted>(Lanes::MaskOf(fourth), i + 3 * kWidth, block)) {
            return found;
        }
    }
    for (; i + kWidth <= end; i += kWidth) {
        if (const Position found = FirstWanted<kWanted>(maskAt(i), i, block)) {
            return found;
        }
    }
    if (i < end && end >= kWidth) {
        // The last positions in a vector that ends at the last one, with those already searched
        // shifted out.
        const std::uint32_t start = end - kWidth;
        return FirstWanted<kWanted>(maskAt(start) >> (i - start), i, block);
    }
    return SearchBytewise<kWanted>(block, i, end);
}

#if defined(__SSE2__)

struct Sse2Lanes {
    static constexpr std::uint32_t kWidth = 16;

    static __m128i Splat(std::uint8_t byte) { return _mm_set1_epi8(static_cast<char>(byte)); }
    static __m128i Load(const std::uint8_t* at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    }
    static __m128i Unit(__m128i low, __m128i high, char16_t unit) {
        return _mm_and_si128(_mm_cmpeq_epi8(low, Splat(static_cast<std::uint8_t>(unit & 0xFF))),
                             _mm_cmpeq_epi8(high, Splat(static_cast<std::uint8_t>(unit >> 8))));
    }
    using Hits = __m128i;

    static std::uint32_t MaskOf(const Hits& hits) {
        return static_cast<std::uint32_t>(_mm_movemask_epi8(hits));
    }
    static bool AnyOf(const Hits& first, const Hits& second, const Hits& third,
                      const Hits& fourth) {
        return MaskOf(_mm_or_si128(_mm_or_si128(first, second), _mm_or_si128(third, fourth))) != 0;
    }
    template <Wanted kWanted>
    void HitsAt(const std::uint8_t* block, std::uint32_t at, Hits& hits) const {
        hits = kWanted == Wanted::Marking && at >= 1 ? Candidates(block + at) : Pairs(block + at);
    }

    __m128i Pairs(const std::uint8_t* at) const { return Unit(Load(at), Load(at + 1), u'密'); }
    __m128i Candidates(const std::uint8_t* at) const {
        const __m128i high = Load(at - 1);
        __m128i front = _mm_setzero_si128();
        for (const std::uint8_t byte : kFrontHighBytes) {
            front = _mm_or_si128(front, _mm_cmpeq_epi8(high, Splat(byte)));
        }
        return _mm_and_si128(Pairs(at), front);
    }
};

#endif

#if defined(KALVOR_HAVE_X86_KERNELS)

#define KALVOR_AVX2 __attribute__((target("avx2")))

struct Avx2Lanes {
    static constexpr std::uint32_t kWidth = 32;

    KALVOR_AVX2 static __m256i Splat(std::uint8_t byte) {
        return _mm256_set1_epi8(static_cast<char>(byte));
    }
    KALVOR_AVX2 static __m256i Load(const std::uint8_t* at) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    }
    KALVOR_AVX2 static __m256i Unit(__m256i low, __m256i high, char16_t unit) {
        return _mm256_and_si256(
            _mm256_cmpeq_epi8(low, Splat(static_cast<std::uint8_t>(unit & 0xFF))),
            _mm256_cmpeq_epi8(high, Splat(static_cast<std::uint8_t>(unit >> 8))));
    }
    using Hits = __m256i;

    KALVOR_AVX2 static std::uint32_t MaskOf(const Hits& hits) {
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(hits));
    }
    KALVOR_AVX2 static bool AnyOf(const Hits& first, const Hits& second, const Hits& third,
                                  const Hits& fourth) {
        const __m256i any =
            _mm256_or_si256(_mm256_or_si256(first, second), _mm256_or_si256(third, fourth));
        return _mm256_testz_si256(any, any) == 0;
    }
    template <Wanted kWanted>
    KALVOR_AVX2 void HitsAt(const std::uint8_t* block, std::uint32_t at, Hits& hits) const {
        hits = kWanted == Wanted::Marking && at >= 1 ? Candidates(block + at) : Pairs(block + at);
    }

    KALVOR_AVX2 __m256i Pairs(const std::uint8_t* at) const {
        return Unit(Load(at), Load(at + 1), u'密');
    }
    KALVOR_AVX2 __m256i Candidates(const std::uint8_t* at) const {
        const __m256i high = Load(at - 1);
        const __m256i table = Load(kFrontByLowNibble.data());
        const __m256i front = _mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, high), high);
        return _mm256_and_si256(Pairs(at), front);
    }
};

// Flattened so that the shared search and the lanes' operations are all compiled, inlined, for
// AVX2.
template <Wanted kWanted>
KALVOR_AVX2 __attribute__((flatten)) Position SearchAvx2(const std::uint8_t* block,
                                                         std::uint32_t from, std::uint32_t end) {
    return SearchVectors<Avx2Lanes, kWanted>(Avx2Lanes(), block, from, end);
}

#define KALVOR_AVX512 __attribute__((target("avx512f,avx512bw")))

// Compares go straight into mask registers, and a compare under a mask is the AND of two.
struct Avx512Lanes {
    static constexpr std::uint32_t kWidth = 64;

    KALVOR_AVX512 static __m512i Splat(std::uint8_t byte) {
        return _mm512_set1_epi8(static_cast<char>(byte));
    }
    KALVOR_AVX512 static __m512i Load(const std::uint8_t* at) { return _mm512_loadu_si512(at); }
    KALVOR_AVX512 static std::uint64_t Unit(__m512i low, __m512i high, char16_t unit) {
        return _mm512_mask_cmpeq_epi8_mask(
            _mm512_cmpeq_epi8_mask(low, Splat(static_cast<std::uint8_t>(unit & 0xFF))), high,
            Splat(static_cast<std::uint8_t>(unit >> 8)));
    }

    using Hits = std::uint64_t;

    static std::uint64_t MaskOf(const Hits& hits) { return hits; }
    static bool AnyOf(const Hits& first, const Hits& second, const Hits& third,
                      const Hits& fourth) {
        return (first | second | third | fourth) != 0;
    }
    template <Wanted kWanted>
    KALVOR_AVX512 void HitsAt(const std::uint8_t* block, std::uint32_t at, Hits& hits) const {
        hits = kWanted == Wanted::Marking && at >= 1 ? Candidates(block + at) : Pairs(block + at);
    }

    KALVOR_AVX512 std::uint64_t Pairs(const std::uint8_t* at) const {
        return Unit(Load(at), Load(at + 1), u'密');
    }
    KALVOR_AVX512 std::uint64_t Candidates(const std::uint8_t* at) const {
        const __m512i high = Load(at - 1);
        const __m512i table = Load(kFrontByLowNibble.data());
        return Pairs(at) & _mm512_cmpeq_epi8_mask(_mm512_shuffle_epi8(table, high), high);
    }
};

template <Wanted kWanted>
KALVOR_AVX512 __attribute__((flatten)) Position SearchAvx512(const std::uint8_t* block,
                                                             std::uint32_t from,
                                                             std::uint32_t end) {
    return SearchVectors<Avx512Lanes, kWanted>(Avx512Lanes(), block, from, end);
}

#endif

// One memchr per occurrence of the pair's first byte: the search where no vector search is built.
template <Wanted kWanted>
Position SearchPortable(const std::uint8_t* block, std::uint32_t from, std::uint32_t end) {
    while (from < end) {
        const auto* hit =
            static_cast<const std::uint8_t*>(std::memchr(block + from, kPairFirst, end - from));
        if (hit == nullptr) {
            return std::nullopt;
        }
        const auto position = static_cast<std::uint32_t>(hit - block);
        if (hit[1] == kPairSecond && Accepts<kWanted>(block, position)) {
            return position;
        }
        from = position + 1;
    }
    return std::nullopt;
}

bool Runs(SearchKernel kernel) {
#if defined(KALVOR_HAVE_X86_KERNELS)
    // Asked before main() too, by benchmarks that register a search per kernel.
    __builtin_cpu_init();
#endif
    switch (kernel) {
        case SearchKernel::Memchr:
            return true;
#if defined(__SSE2__)
        case SearchKernel::Sse2:
            return true;
#endif
#if defined(KALVOR_HAVE_X86_KERNELS)
        case SearchKernel::Avx2:
            return __builtin_cpu_supports("avx2") != 0;
        case SearchKernel::Avx512:
            return __builtin_cpu_supports("avx512f") != 0 &&
                   __builtin_cpu_supports("avx512bw") != 0;
#endif
        default:
            return false;
    }
}

// The widest search the processor runs that the block fills a round of: a shorter block is
// searched as well with narrower vectors, which need fewer positions to start.
SearchKernel KernelFor(std::uint32_t positions) {
    static const bool avx512 = Runs(SearchKernel::Avx512);
    static const bool avx2 = Runs(SearchKernel::Avx2);
    static const bool sse2 = Runs(SearchKernel::Sse2);
    if (avx512 && positions >= 4 * 64) {
        return SearchKernel::Avx512;
    }
    if (avx2 && positions >= 4 * 32) {
        return SearchKernel::Avx2;
    }
    return sse2 ? SearchKernel::Sse2 : SearchKernel::Memchr;
}

template <Wanted kWanted>
Position SearchWith(SearchKernel kernel, const std::uint8_t* block, std::uint32_t from,
                    std::uint32_t end) {
    switch (kernel) {
#if defined(KALVOR_HAVE_X86_KERNELS)
        case SearchKernel::Avx512:
            return SearchAvx512<kWanted>(block, from, end);
        case SearchKernel::Avx2:
            return SearchAvx2<kWanted>(block, from, end);
#endif
#if defined(__SSE2__)
        case SearchKernel::Sse2:
            return SearchVectors<Sse2Lanes, kWanted>(Sse2Lanes(), block, from, end);
#endif
        default:
            return SearchPortable<kWanted>(block, from, end);
    }
}

// Searches positions `from` to length - 3 with `kernel`, or with the best one for them.
template <Wanted kWanted>
Position Search(const std::uint8_t* block, std::uint32_t length, std::uint32_t from,
                std::optional<SearchKernel> kernel) {
    const auto positions = static_cast<std::int32_t>(length - 2);
    if (positions <= 0 || from >= static_cast<std::uint32_t>(positions)) {
        return std::nullopt;
    }
    const auto end = static_cast<std::uint32_t>(positions);
    return SearchWith<kWanted>(kernel.value_or(KernelFor(end - from)), block, from, end);
}

}  // namespace

bool IsMarkingAt(const std::uint8_t* block, std::uint32_t hit, marking::MatchRule rule) {
    return MarkingLeadAt(block, hit, rule).has_value();
}

std::optional<std::uint32_t> MarkingLeadAt(const std::uint8_t* block, std::uint32_t hit,
                                           marking::MatchRule rule) {
    std::int64_t q = static_cast<std::int64_t>(hit) - 2;
    while (q >= 0 && marking::IsFiller(UnitAt(block, q), rule)) {
        q -= 2;
    }
    if (q >= 0 && marking::IsLead(UnitAt(block, q))) {
        return static_cast<std::uint32_t>(q);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> FindMarkPair(const std::uint8_t* block, std::uint32_t length) {
    return Search<Wanted::AnyPair>(block, length, 0, std::nullopt);
}

std::optional<std::uint32_t> FindMarking(const std::uint8_t* block, std::uint32_t length) {
    return Search<Wanted::Marking>(block, length, 0, std::nullopt);
}

std::optional<std::uint32_t> FindMarking(const std::uint8_t* block, std::uint32_t length,
                                         marking::MatchRule rule) {
    return FindMarkingFrom(block, length, 0, rule);
}

std::optional<std::uint32_t> FindMarkingFrom(const std::uint8_t* block, std::uint32_t length,
                                             std::uint32_t from, marking::MatchRule rule) {
    if (rule == marking::MatchRule::Default) {
        return Search<Wanted::Marking>(block, length, from, std::nullopt);
    }
    while (length >= 3 && from <= length - 3) {
        const std::optional<std::uint32_t> pair = FindMarkPair(block + from, length - from);
        if (!pair.has_value()) {
            return std::nullopt;
        }
        const std::uint32_t hit = from + *pair;
        if (IsMarkingAt(block, hit, rule)) {
            return hit;
        }
        from = hit + 2;
    }
    return std::nullopt;
}

std::uint32_t LookBackStart(const std::uint8_t* block, std::uint32_t length,
                            marking::MatchRule rule) {
    // A pair at length - 2 looks back from the unit at length - 4, one at length - 1 from the
    // unit at length - 3, and every later one, through fillers, comes to one of those two or
    // stops before them.
    std::int64_t start = std::int64_t{length} - 2;
    for (std::int64_t unit = start - 2; unit < std::int64_t{length} - 2; ++unit) {
        std::int64_t q = unit;
        while (q >= 0 && marking::IsFiller(UnitAt(block, q), rule)) {
            q -= 2;
        }
        start = std::min(start, q);
    }
    return static_cast<std::uint32_t>(std::max<std::int64_t>(start, 0));
}

std::vector<SearchKernel> RunnableKernels() {
    std::vector<SearchKernel> kernels;
    for (const SearchKernel kernel :
         {SearchKernel::Memchr, SearchKernel::Sse2, SearchKernel::Avx2, SearchKernel::Avx512}) {
        if (Runs(kernel)) {
            kernels.push_back(kernel);
        }
    }
    return kernels;
}

std::string_view KernelName(SearchKernel kernel) {
    switch (kernel) {
        case SearchKernel::Memchr:
            return "Memchr";
        case SearchKernel::Sse2:
            return "Sse2";
        case SearchKernel::Avx2:
            return "Avx2";
        case SearchKernel::Avx512:
            return "Avx512";
    }
    return "Memchr";
}

std::optional<std::uint32_t> FindMarkPairWith(SearchKernel kernel, const std::uint8_t* block,
                                              std::uint32_t length) {
    return Search<Wanted::AnyPair>(block, length, 0, kernel);
}

std::optional<std::uint32_t> FindMarkingWith(SearchKernel kernel, const std::uint8_t* block,
                                             std::uint32_t length, std::uint32_t from) {
    return Search<Wanted::Marking>(block, length, from, kernel);
}

}  // namespace kalvor::scan
