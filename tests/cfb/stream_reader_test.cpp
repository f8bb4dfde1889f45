#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "cfb/compound_file.h"
#include "cfb/windowed_file.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/counting_byte_source.h"

namespace kalvor::cfb {
namespace {

using testing::BuildCompoundFileWithLayout;
using testing::CompoundFileSpec;
using testing::PutLe32;

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

// Bytes drawn from `seed`, never zero, so bytes a reader failed to fill in stand out.
std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed) {
    std::minstd_rand random(seed + 1);
    std::vector<std::uint8_t> bytes(size);
    std::generate(bytes.begin(), bytes.end(),
                  [&] { return static_cast<std::uint8_t>(random() % 255 + 1); });
    return bytes;
}

using CountingFile = testing::CountingByteSource;

struct ReadCase {
    const char* name;
    std::uint64_t offset;
    std::size_t length;
    int reads;  // of the file, by this read
};

TEST(WindowedFile, ReadsWhatTheFileHoldsWithFewReads) {
    const std::vector<std::uint8_t> bytes = Pattern(1'000'000, 1);
    CountingFile file(bytes, bytes.size() + 5000);
    cfb::WindowBuffers buffers(UnchargedMemory());
    cfb::WindowedFile windowed(file, buffers);
    const std::vector<ReadCase> cases = {
        {"header, bringing in the first window", 0, 512, 1},
        {"inside the first window", 4096, 70'000, 0},
        {"near the end, bringing in a second window", 900'000, 512, 1},
        {"inside the second window", 950'000, 10'000, 0},
        {"from the first window on, the rest straight from the file", 200'000, 800'000, 1},
        {"a window that comes up short at the file's real end", 990'000, 20'000, 2},
        {"past the file's real end", 1'002'000, 100, 1},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> out(c.length, 0xEE);
        const int readsBefore = file.reads;
        const std::size_t got = windowed.ReadAt(c.offset, out);
        EXPECT_EQ(file.reads - readsBefore, c.reads);
        const std::size_t expected =
            c.offset >= bytes.size() ? 0 : std::min(c.length, bytes.size() - c.offset);
        EXPECT_EQ(got, expected);
        if (got != expected) {
            continue;
        }
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<long>(got),
                               bytes.begin() + static_cast<long>(c.offset)));
    }
}

TEST(WindowedFile, HoldsOnlyWhatOneWindowHoldsWhole) {
    const std::vector<std::uint8_t> bytes = Pattern(600'000, 2);
    CountingFile file(bytes);
    cfb::WindowBuffers buffers(UnchargedMemory());
    cfb::WindowedFile windowed(file, buffers);
    std::vector<std::uint8_t> header(512);
    ASSERT_EQ(windowed.ReadAt(0, header), header.size());
    const std::span<const std::uint8_t> held = windowed.Held(1000, 200'000);
    ASSERT_EQ(held.size(), 200'000u);
    EXPECT_TRUE(std::equal(held.begin(), held.end(), bytes.begin() + 1000));
    EXPECT_TRUE(windowed.Held(200'000, 100'000).empty());
    EXPECT_TRUE(windowed.Held(500'000, 10).empty());
    EXPECT_EQ(file.reads, 1);
}

struct StreamCase {
    std::string name;
    CompoundFileSpec spec;
    bool breakChain = false;  // the WordDocument chain ends after its first sector
};

std::vector<StreamCase> StreamCases() {
    const auto withWordDocument = [](std::size_t size, int version, bool reverse = false) {
        CompoundFileSpec spec{.majorVersion = version, .reverseChains = reverse};
        spec.rootStreams = {{u"1Table", Pattern(3000, 3)},
                            {u"WordDocument", Pattern(size, static_cast<unsigned>(size))},
                            {u"Data", Pattern(9000, 4)}};
        return spec;
    };
    return {
        {"v3 mini stream", withWordDocument(3000, 3)},
        {"v3 one run", withWordDocument(100'000, 3)},
        {"v3 one run past the first window", withWordDocument(700'000, 3)},
        {"v3 backward chain", withWordDocument(20'000, 3, true)},
        {"v4 one run", withWordDocument(50'000, 4)},
        {"v4 mini stream", withWordDocument(100, 4)},
        {"broken chain", withWordDocument(30'000, 3), true},
        {"small after large", withWordDocument(5000, 3)},
        {"empty", withWordDocument(0, 3)},
    };
}

// The stream as the chunks of `chunkBytes` give it, `keep` bytes of each kept in front of the
// next, without those kept twice.
std::vector<std::uint8_t> Chunked(RootStreamReader& reader, ByteSource& file,
                                  std::size_t chunkBytes, std::size_t keep) {
    std::vector<std::uint8_t> stream;
    reader.ReadInChunks(
        file, u"WordDocument",
        [&](StreamChunks& chunks) {
            std::span<const std::uint8_t> chunk = chunks.Next(0);
            stream.assign(chunk.begin(), chunk.end());
            while (!(chunk = chunks.Next(keep)).empty()) {
                stream.insert(stream.end(), chunk.begin() + static_cast<std::ptrdiff_t>(keep),
                              chunk.end());
            }
        },
        chunkBytes);
    return stream;
}

// One reader for all the files, as a worker keeps it: what it returns for each file is what the
// plain reader returns, bytes and zero-filled tail alike, whatever the files before it held, and
// read in chunks too.
TEST(RootStreamReader, ReadsWhatThePlainReaderReadsFileAfterFile) {
    RootStreamReader reader(UnchargedMemory());
    for (const StreamCase& c : StreamCases()) {
        SCOPED_TRACE(c.name);
        auto built = BuildCompoundFileWithLayout(c.spec);
        if (c.breakChain) {
            const auto& chain = built.layout.Stream(u"WordDocument").chain;
            PutLe32(built.bytes, built.layout.FatEntryOffset(chain[0]), kEndOfChain);
        }
        MemoryByteSource plainSource(built.bytes);
        const StreamCopy plain = ReadRootStream(plainSource, u"WordDocument", UnchargedMemory());
        EXPECT_EQ(plain.status.result, StreamReadResult::Read);
        if (plain.status.result != StreamReadResult::Read) {
            continue;
        }
        const std::vector<std::uint8_t>& expected = plain.image;
        CountingFile file(built.bytes);
        const StreamView read = reader.Read(file, u"WordDocument");
        EXPECT_EQ(read.status.result, StreamReadResult::Read);
        if (read.status.result != StreamReadResult::Read) {
            continue;
        }
        const std::span<const std::uint8_t> image = read.image;
        EXPECT_TRUE(std::equal(image.begin(), image.end(), expected.begin(), expected.end()));
        if (built.bytes.size() <= cfb::WindowedFile::kFirstWindow) {
            EXPECT_EQ(file.reads, 1);
        }
        for (const std::size_t chunkBytes : {std::size_t{1000}, std::size_t{4099}}) {
            for (const std::size_t keep : {std::size_t{0}, std::size_t{9}}) {
                EXPECT_EQ(Chunked(reader, file, chunkBytes, keep), expected)
                    << chunkBytes << " bytes a chunk, keeping " << keep;
            }
        }
    }
}

// A file whose bytes from `from` to `to` cannot be read, as a bad sector fails every read that
// reaches it, while bytes past them can.
class UnreadableBetween final : public ByteSource {
  public:
    UnreadableBetween(std::span<const std::uint8_t> bytes, std::uint64_t from, std::uint64_t to)
        : memory_(bytes), from_(from), to_(to) {}

    std::uint64_t Size() const override { return memory_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset >= to_ || offset + out.size() <= from_) {
            return memory_.ReadAt(offset, out);
        }
        return offset < from_ ? memory_.ReadAt(offset, out.first(from_ - offset)) : 0;
    }

  private:
    MemoryByteSource memory_;
    std::uint64_t from_;
    std::uint64_t to_;
};

// As in a whole read, a read that failed leaves the rest of the stream zero, though the bytes
// after the failure could be read.
TEST(RootStreamReader, ReadsNothingPastAFailedReadInChunksEither) {
    const auto built =
        BuildCompoundFileWithLayout({.rootStreams = {{u"WordDocument", Pattern(700'000, 5)}}});
    UnreadableBetween file(built.bytes, 400'000, 400'100);
    const StreamCopy whole = ReadRootStream(file, u"WordDocument", UnchargedMemory());
    ASSERT_EQ(whole.status.result, StreamReadResult::Read);
    ASSERT_EQ(whole.image.back(), 0);
    RootStreamReader reader(UnchargedMemory());
    EXPECT_EQ(Chunked(reader, file, 4099, 0), whole.image);
}

TEST(RootStreamReader, ReportsWhatIsNotThereAsThePlainReaderDoes) {
    RootStreamReader reader(UnchargedMemory());
    const std::vector<std::uint8_t> text(5000, 'x');
    CountingFile notCompound(text);
    StreamView read = reader.Read(notCompound, u"WordDocument");
    EXPECT_EQ(read.status.result, StreamReadResult::NotCompoundFile);
    EXPECT_TRUE(read.image.empty());
    const auto built = BuildCompoundFileWithLayout({.rootStreams = {{u"1Table", Pattern(10, 5)}}});
    CountingFile noStream(built.bytes);
    read = reader.Read(noStream, u"WordDocument");
    EXPECT_EQ(read.status.result, StreamReadResult::StreamNotFound);
    EXPECT_TRUE(read.image.empty());
}

TEST(RootStreamReader, GivesBackMemoryOnlyPastTheLimit) {
    RootStreamReader reader(UnchargedMemory());
    const auto built = BuildCompoundFileWithLayout(
        {.rootStreams = {{u"WordDocument", Pattern(2'000'000, 6)}}, .reverseChains = true});
    CountingFile file(built.bytes);
    StreamView read = reader.Read(file, u"WordDocument");
    ASSERT_EQ(read.status.result, StreamReadResult::Read);
    const std::uint8_t* const before = read.image.data();
    reader.ReleaseMemoryAbove(16'000'000);
    read = reader.Read(file, u"WordDocument");
    ASSERT_EQ(read.status.result, StreamReadResult::Read);
    EXPECT_EQ(read.image.data(), before);
    reader.ReleaseMemoryAbove(1'000'000);
    read = reader.Read(file, u"WordDocument");
    ASSERT_EQ(read.status.result, StreamReadResult::Read);
    EXPECT_EQ(read.image.size(), 2'000'000u);
    EXPECT_TRUE(std::equal(read.image.begin(), read.image.end(), Pattern(2'000'000, 6).begin()));
}

}  // namespace
}  // namespace kalvor::cfb
