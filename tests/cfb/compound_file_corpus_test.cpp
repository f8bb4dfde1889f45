#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "cfb/compound_file.h"

namespace kalvor::cfb {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint64_t Fnv1a(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const std::uint8_t byte : bytes) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}

// The expected figures come from reading the same files with python3-olefile: it finds a
// "WordDocument" stream in the same 167 files, with the same sizes and bytes.
TEST(CompoundFileCorpus, ReadsEveryRealWorldDocument) {
    const fs::path corpus = KALVOR_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    std::map<StreamReadResult, int> results;
    std::uint64_t totalSize = 0;
    std::uint64_t hashes = 0;
    int streams = 0;
    int streamsTooLarge = 0;
    std::vector<std::uint8_t> image;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
        const std::vector<std::uint8_t> bytes = ReadWhole(entry.path());
        MemoryByteSource source(bytes);
        StreamCopy read =
            ReadRootStream(source, u"WordDocument", UnchargedMemory(), std::move(image));
        image = std::move(read.image);
        const StreamReadResult result = read.status.result;
        ++results[result];
        if (result == StreamReadResult::Read) {
            totalSize += image.size();
            hashes ^= Fnv1a(image);
        }
        ForEachStream(source, UnchargedMemory(), [&](const StoredStream& stream) {
            ++streams;
            streamsTooLarge += stream.result == StreamReadResult::StreamTooLarge ? 1 : 0;
        });
    }
    const std::map<StreamReadResult, int> expected = {
        {StreamReadResult::Read, 167},
        {StreamReadResult::NotCompoundFile, 1},
        {StreamReadResult::StreamNotFound, 1},
    };
    EXPECT_EQ(results, expected);
    EXPECT_EQ(totalSize, 4545927u);
    EXPECT_EQ(hashes, 0x73370e9084eca886u);
    EXPECT_EQ(streams, 1244);
    // Two fuzzed files hold a stream that claims more bytes than the file has.
    EXPECT_EQ(streamsTooLarge, 2);
}

}  // namespace
}  // namespace kalvor::cfb
