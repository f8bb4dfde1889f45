#include "scan/mark_pair.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KALVOR_HAVE_AVX2_KERNEL 1
#endif

namespace kalvor::scan {

namespace {

// 密 (U+5BC6) as it lies in a UTF-16LE stream.
constexpr std::uint8_t kPairFirst = 0xC6;
constexpr std::uint8_t kPairSecond = 0x5B;

constexpr char16_t kSpace = 0x0020;
constexpr char16_t kTab = 0x0009;
constexpr char16_t kLeadCharacters[] = {u'秘', u'机', u'绝'};

using Position = std::optional<std::uint32_t>;

bool IsLeadCharacter(char16_t unit) {
    for (const char16_t lead : kLeadCharacters) {
        if (unit == lead) {
            return true;
        }
    }
    return false;
}

char16_t UnitAt(const std::uint8_t* block, std::int64_t offset) {
    return static_cast<char16_t>(block[offset] | (block[offset + 1] << 8));
}

enum class Wanted { AnyPair, Marking };

template <Wanted kWanted>
bool Accepts(const std::uint8_t* block, std::uint32_t hit) {
    return kWanted == Wanted::AnyPair || IsMarkingAt(block, hit);
}

// The first position base + i, for the bits i set in `mask` in rising order, that is wanted.
template <Wanted kWanted>
Position FirstWanted(std::uint32_t mask, std::uint32_t base, const std::uint8_t* block) {
    for (; mask != 0; mask &= mask - 1) {
        const std::uint32_t hit = base + static_cast<std::uint32_t>(std::countr_zero(mask));
        if (Accepts<kWanted>(block, hit)) {
            return hit;
        }
    }
    return std::nullopt;
}

// Every search below looks at the positions up to `end` (excluded) of `block` and may read the
// byte at `end`, the second byte of the last position.

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
// every character from U+5B00 to U+5BFF. A marking is searched for by keeping only the pairs
// whose unit in front is a lead character, a space or a tab, and testing those one by one: most
// pairs in Chinese text (保密, 密码) are dropped without a branch.
//
// `Lanes` gives, for the `kWidth` positions from a pointer, a bit mask of the pairs (Pairs) or of
// the pairs a marking may end at (Candidates, which also reads the two bytes in front), and
// whether four vectors hold any pair at all.
template <typename Lanes, Wanted kWanted>
Position SearchVectors(const Lanes& lanes, const std::uint8_t* block, std::uint32_t end) {
    constexpr std::uint32_t kWidth = Lanes::kWidth;
    const auto maskAt = [&](std::uint32_t at) {
        return kWanted == Wanted::Marking && at >= 2 ? lanes.Candidates(block + at)
                                                     : lanes.Pairs(block + at);
    };
    std::uint32_t i = 0;
    for (; i + 4 * kWidth <= end; i += 4 * kWidth) {
        if (!lanes.AnyPairIn4(block + i)) {
            continue;
        }
        for (std::uint32_t at = i; at < i + 4 * kWidth; at += kWidth) {
            if (const Position found = FirstWanted<kWanted>(maskAt(at), at, block)) {
                return found;
            }
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
    static std::uint32_t Mask(__m128i lanes) {
        return static_cast<std::uint32_t>(_mm_movemask_epi8(lanes));
    }

    static __m128i PairLanes(const std::uint8_t* at) { return Unit(Load(at), Load(at + 1), u'密'); }
    std::uint32_t Pairs(const std::uint8_t* at) const { return Mask(PairLanes(at)); }
    std::uint32_t Candidates(const std::uint8_t* at) const {
        const __m128i low = Load(at - 2);
        const __m128i high = Load(at - 1);
        const __m128i lead = _mm_or_si128(
            _mm_or_si128(Unit(low, high, kLeadCharacters[0]), Unit(low, high, kLeadCharacters[1])),
            Unit(low, high, kLeadCharacters[2]));
        const __m128i filler = _mm_or_si128(Unit(low, high, kSpace), Unit(low, high, kTab));
        return Mask(_mm_and_si128(PairLanes(at), _mm_or_si128(lead, filler)));
    }
    bool AnyPairIn4(const std::uint8_t* at) const {
        return Mask(_mm_or_si128(
                   _mm_or_si128(PairLanes(at), PairLanes(at + kWidth)),
                   _mm_or_si128(PairLanes(at + 2 * kWidth), PairLanes(at + 3 * kWidth)))) != 0;
    }
};

#endif

#if defined(KALVOR_HAVE_AVX2_KERNEL)

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
    KALVOR_AVX2 static std::uint32_t Mask(__m256i lanes) {
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(lanes));
    }

    KALVOR_AVX2 static __m256i PairLanes(const std::uint8_t* at) {
        return Unit(Load(at), Load(at + 1), u'密');
    }
    KALVOR_AVX2 std::uint32_t Pairs(const std::uint8_t* at) const { return Mask(PairLanes(at)); }
    KALVOR_AVX2 std::uint32_t Candidates(const std::uint8_t* at) const {
        const __m256i low = Load(at - 2);
        const __m256i high = Load(at - 1);
        const __m256i lead = _mm256_or_si256(_mm256_or_si256(Unit(low, high, kLeadCharacters[0]),
                                                             Unit(low, high, kLeadCharacters[1])),
                                             Unit(low, high, kLeadCharacters[2]));
        const __m256i filler = _mm256_or_si256(Unit(low, high, kSpace), Unit(low, high, kTab));
        return Mask(_mm256_and_si256(PairLanes(at), _mm256_or_si256(lead, filler)));
    }
    KALVOR_AVX2 bool AnyPairIn4(const std::uint8_t* at) const {
        const __m256i any = _mm256_or_si256(
            _mm256_or_si256(PairLanes(at), PairLanes(at + kWidth)),
            _mm256_or_si256(PairLanes(at + 2 * kWidth), PairLanes(at + 3 * kWidth)));
        return _mm256_testz_si256(any, any) == 0;
    }
};

// Flattened so that the shared search and the lanes' operations are all compiled, inlined, for
// AVX2.
template <Wanted kWanted>
KALVOR_AVX2 __attribute__((flatten)) Position SearchAvx2(const std::uint8_t* block,
                                                         std::uint32_t end) {
    return SearchVectors<Avx2Lanes, kWanted>(Avx2Lanes(), block, end);
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") != 0;
    return has;
}

#endif

#if !defined(__SSE2__)

// One memchr per occurrence of the pair's first byte, where no vector search is built.
template <Wanted kWanted>
Position SearchPortable(const std::uint8_t* block, std::uint32_t end) {
    std::uint32_t from = 0;
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

#endif

template <Wanted kWanted>
Position Search(const std::uint8_t* block, std::uint32_t length) {
    const auto positions = static_cast<std::int32_t>(length - 2);
    if (positions <= 0) {
        return std::nullopt;
    }
    const auto end = static_cast<std::uint32_t>(positions);
#if defined(KALVOR_HAVE_AVX2_KERNEL)
    // A block shorter than one round of the wide search is searched as well with the narrow
    // vectors, which need fewer positions to start.
    if (end >= 4 * Avx2Lanes::kWidth && HasAvx2()) {
        return SearchAvx2<kWanted>(block, end);
    }
#endif
#if defined(__SSE2__)
    return SearchVectors<Sse2Lanes, kWanted>(Sse2Lanes(), block, end);
#else
    return SearchPortable<kWanted>(block, end);
#endif
}

}  // namespace

bool IsMarkingAt(const std::uint8_t* block, std::uint32_t hit) {
    std::int64_t q = static_cast<std::int64_t>(hit) - 2;
    while (q >= 0 && (UnitAt(block, q) == kSpace || UnitAt(block, q) == kTab)) {
        q -= 2;
    }
    return q >= 0 && IsLeadCharacter(UnitAt(block, q));
}

std::optional<std::uint32_t> FindMarkPair(const std::uint8_t* block, std::uint32_t length) {
    return Search<Wanted::AnyPair>(block, length);
}

std::optional<std::uint32_t> FindMarking(const std::uint8_t* block, std::uint32_t length) {
    return Search<Wanted::Marking>(block, length);
}

}  // namespace kalvor::scan
