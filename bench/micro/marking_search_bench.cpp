// The marking search against the byte loop it replaced: the pair search alone on text, the whole
// check of a stream image, the search with each kernel, and the whole detector on one compound
// file in memory.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "bench/reference_detector.h"
#include "cfb/compound_file.h"
#include "reference/marking_by_byte_loop.h"
#include "scan/examination_memory.h"
#include "scan/formats/word_document.h"
#include "scan/mark_pair.h"
#include "scan/mark_pair_kernels.h"
#include "tests/support/compound_file_builder.h"

namespace {

using namespace kalvor;

constexpr std::size_t kTextBytes = 256 * 1024;

void PutUnit(std::vector<std::uint8_t>& bytes, char16_t unit) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
}

// Chinese text in UTF-16LE with spaces and paragraph marks, where one character in four lies in
// U+5B00..U+5BFF (high byte 0x5B) and one in eight has the low byte 0xC6, so both bytes of the
// pair are common alone; with `pairsPerThousand` unmarked 密 (保密, 密码) per thousand characters.
std::vector<std::uint8_t> ChineseText(std::size_t bytes, int pairsPerThousand) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> text;
    text.reserve(bytes + 4);
    while (text.size() < bytes) {
        const auto pick = static_cast<int>(random() % 1000);
        if (pick < pairsPerThousand) {
            PutUnit(text, pick % 2 == 0 ? u'保' : u'密');
            PutUnit(text, pick % 2 == 0 ? u'密' : u'码');
            continue;
        }
        char16_t unit = pick < 60 ? (pick < 50 ? u' ' : u'\r')
                                  : static_cast<char16_t>(0x4E00 + random() % (0x9FA5 - 0x4E00));
        if (random() % 4 == 0) {
            unit = static_cast<char16_t>(0x5B00 | (unit & 0xFF));
        }
        if (random() % 8 == 0) {
            unit = static_cast<char16_t>((unit & 0xFF00) | 0xC6);
        }
        if (unit == u'密' || unit == u'秘' || unit == u'机' || unit == u'绝') {
            continue;
        }
        PutUnit(text, unit);
    }
    text.resize(bytes);
    return text;
}

// A "WordDocument" stream of Word 97 (version byte 0x20) holding `text`, without a marking.
std::vector<std::uint8_t> WordStream(const std::vector<std::uint8_t>& text) {
    constexpr std::size_t kTextOffset = 0x200;
    std::vector<std::uint8_t> stream(kTextOffset + text.size(), 0);
    stream[5] = 0x20;
    std::copy(text.begin(), text.end(), stream.begin() + kTextOffset);
    return stream;
}

const std::vector<std::uint8_t>& TextWithoutPairs() {
    static const std::vector<std::uint8_t> text = ChineseText(kTextBytes, 0);
    return text;
}

const std::vector<std::uint8_t>& StreamWithPairs() {
    static const std::vector<std::uint8_t> stream = WordStream(ChineseText(kTextBytes, 4));
    return stream;
}

const std::vector<std::uint8_t>& DocumentWithPairs() {
    static const std::vector<std::uint8_t> file = testing::BuildCompoundFile(
        {.rootStreams = {{u"WordDocument", StreamWithPairs()},
                         {u"1Table", std::vector<std::uint8_t>(8000, 0x11)}}});
    return file;
}

void Report(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void FindMarkPair_Vector(benchmark::State& state) {
    const std::vector<std::uint8_t>& text = TextWithoutPairs();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            scan::FindMarkPair(text.data(), static_cast<std::uint32_t>(text.size())));
    }
    Report(state, text.size());
}

void FindMarkPair_ByteLoop(benchmark::State& state) {
    const std::vector<std::uint8_t>& text = TextWithoutPairs();
    for (auto _ : state) {
        benchmark::DoNotOptimize(reference::PairByteByByte(text));
    }
    Report(state, text.size());
}

void CheckStream_Vector(benchmark::State& state) {
    const std::vector<std::uint8_t>& stream = StreamWithPairs();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            scan::CheckStreamImage(stream.data(), static_cast<std::uint32_t>(stream.size())));
    }
    Report(state, stream.size());
}

void CheckStream_ByteLoop(benchmark::State& state) {
    const std::vector<std::uint8_t>& stream = StreamWithPairs();
    for (auto _ : state) {
        benchmark::DoNotOptimize(reference::VerdictByteByByte(stream));
    }
    Report(state, stream.size());
}

// The marking search on the stream with each kernel this processor runs.
void FindMarking_Kernel(benchmark::State& state, scan::SearchKernel kernel) {
    const std::vector<std::uint8_t>& stream = StreamWithPairs();
    for (auto _ : state) {
        benchmark::DoNotOptimize(scan::FindMarkingWith(kernel, stream.data(),
                                                       static_cast<std::uint32_t>(stream.size())));
    }
    Report(state, stream.size());
}

const bool kKernelsRegistered = [] {
    for (const scan::SearchKernel kernel : scan::RunnableKernels()) {
        benchmark::RegisterBenchmark(
            ("FindMarking_" + std::string(scan::KernelName(kernel))).c_str(), FindMarking_Kernel,
            kernel);
    }
    return true;
}();

void Detector_Vector(benchmark::State& state) {
    const std::vector<std::uint8_t>& file = DocumentWithPairs();
    cfb::RootStreamReader reader(scan::ExaminationMemory());
    for (auto _ : state) {
        cfb::MemoryByteSource source(file);
        const std::span<const std::uint8_t> image = reader.Read(source, u"WordDocument").image;
        benchmark::DoNotOptimize(
            scan::CheckStreamImage(image.data(), static_cast<std::uint32_t>(image.size())));
    }
    Report(state, StreamWithPairs().size());
}

void Detector_ByteLoop(benchmark::State& state) {
    const std::vector<std::uint8_t>& file = DocumentWithPairs();
    for (auto _ : state) {
        cfb::MemoryByteSource source(file);
        benchmark::DoNotOptimize(bench::CheckDocumentByteByByte(source));
    }
    Report(state, StreamWithPairs().size());
}

}  // namespace

BENCHMARK(FindMarkPair_Vector);
BENCHMARK(FindMarkPair_ByteLoop);
BENCHMARK(CheckStream_Vector);
BENCHMARK(CheckStream_ByteLoop);
BENCHMARK(Detector_Vector);
BENCHMARK(Detector_ByteLoop);
