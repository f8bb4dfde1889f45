#include "cfb/compound_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/compound_file_builder.h"
#include "tests/support/counting_byte_source.h"

namespace kalvor::cfb {
namespace {

using testing::BuildCompoundFileWithLayout;
using testing::CompoundFileLayout;
using testing::CompoundFileSpec;
using testing::CompoundStream;
using testing::GetLe32;
using testing::PutLe32;
namespace field = testing::cfb_field;

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;

// Never zero, so bytes the reader failed to fill in stand out.
std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7 + (i >> 9) + seed) % 255 + 1);
    }
    return bytes;
}

std::u16string Name(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

// Reads into `image`'s memory, as a caller that keeps its buffer does.
StreamReadResult ReadInto(ByteSource& source, std::u16string_view name,
                          std::vector<std::uint8_t>& image) {
    StreamCopy read = ReadRootStream(source, name, UnchargedMemory(), std::move(image));
    image = std::move(read.image);
    return read.status.result;
}

StreamReadResult ReadFrom(const std::vector<std::uint8_t>& file, std::u16string_view name,
                          std::vector<std::uint8_t>& image) {
    MemoryByteSource source(file);
    return ReadInto(source, name, image);
}

struct RoundTripCase {
    std::string name;
    int majorVersion;
    std::vector<std::size_t> sizes;
    bool reverseChains = false;
    std::uint32_t minimumFatSectors = 0;
};

void PrintTo(const RoundTripCase& param, std::ostream* out) {
    *out << param.name;
}

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, ReadsBackEveryRootStream) {
    const RoundTripCase& param = GetParam();
    CompoundFileSpec spec{.majorVersion = param.majorVersion, .reverseChains = param.reverseChains};
    spec.minimumFatSectors = param.minimumFatSectors;
    for (std::size_t i = 0; i < param.sizes.size(); ++i) {
        spec.rootStreams.push_back(
            {Name("S" + std::to_string(i)), Pattern(param.sizes[i], static_cast<unsigned>(i))});
    }
    const auto built = BuildCompoundFileWithLayout(spec);
    if (param.minimumFatSectors > 109) {
        ASSERT_FALSE(built.layout.difatSectors.empty());
    }
    std::vector<std::uint8_t> image;
    for (const CompoundStream& stream : spec.rootStreams) {
        SCOPED_TRACE(std::string(stream.name.begin(), stream.name.end()));
        EXPECT_EQ(ReadFrom(built.bytes, stream.name, image), StreamReadResult::Read);
        EXPECT_EQ(image, stream.data);
    }
}

std::vector<std::size_t> ManySizes() {
    std::vector<std::size_t> sizes;
    for (std::size_t i = 0; i < 150; ++i) {
        sizes.push_back(i * 97 % 6000);
    }
    return sizes;
}

const std::vector<std::size_t> kCutoffSizes = {0,   1,   63,   64,   65,   511,
                                               512, 513, 4095, 4096, 4097, 20000};

INSTANTIATE_TEST_SUITE_P(
    CompoundFile, RoundTrip,
    ::testing::Values(RoundTripCase{"Version3", 3, kCutoffSizes},
                      RoundTripCase{"Version4", 4, kCutoffSizes},
                      RoundTripCase{"Version3ReversedChains", 3, kCutoffSizes, true},
                      RoundTripCase{"Version4ReversedChains", 4, kCutoffSizes, true},
                      RoundTripCase{"ManyStreams", 3, ManySizes()},
                      RoundTripCase{"ManyStreamsReversed", 4, ManySizes(), true},
                      RoundTripCase{"Version3DifatSectors", 3, {100, 9000}, false, 400},
                      RoundTripCase{"Version4DifatSectors", 4, {100, 9000}, true, 1200}),
    [](const auto& info) { return info.param.name; });

const std::vector<std::uint8_t>& DataOf(const CompoundFileSpec& spec, std::u16string_view name) {
    const auto stream =
        std::find_if(spec.rootStreams.begin(), spec.rootStreams.end(),
                     [&](const CompoundStream& candidate) { return candidate.name == name; });
    if (stream == spec.rootStreams.end()) {
        throw std::out_of_range("the sample holds no such stream");
    }
    return stream->data;
}

CompoundFileSpec SampleSpec() {
    CompoundFileSpec spec;
    spec.rootStreams = {{u"WordDocument", Pattern(10000, 1)},
                        {u"1Table", Pattern(300, 2)},
                        {u"\u00C4rger", Pattern(70, 3)}};
    spec.rootStorages = {{u"ObjectPool", {{u"Inner", Pattern(100, 4)}}}};
    return spec;
}

struct LookupCase {
    std::u16string query;
    StreamReadResult expected;
    std::u16string stored;  // the stream the query must find
};

void PrintTo(const LookupCase& param, std::ostream* out) {
    for (const char16_t unit : param.query) {
        *out << (unit < 0x80 ? static_cast<char>(unit) : '?');
    }
}

class Lookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, FindsRootStreamsByCaseInsensitiveName) {
    const CompoundFileSpec spec = SampleSpec();
    const auto file = testing::BuildCompoundFile(spec);
    std::vector<std::uint8_t> image(3, 0xAA);
    ASSERT_EQ(ReadFrom(file, GetParam().query, image), GetParam().expected);
    if (GetParam().expected == StreamReadResult::Read) {
        EXPECT_EQ(image, DataOf(spec, GetParam().stored));
    } else {
        EXPECT_TRUE(image.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    CompoundFile, Lookup,
    ::testing::Values(LookupCase{u"WordDocument", StreamReadResult::Read, u"WordDocument"},
                      LookupCase{u"worddocument", StreamReadResult::Read, u"WordDocument"},
                      LookupCase{u"WORDDOCUMENT", StreamReadResult::Read, u"WordDocument"},
                      LookupCase{u"1table", StreamReadResult::Read, u"1Table"},
                      LookupCase{u"\u00E4RGER", StreamReadResult::Read, u"\u00C4rger"},
                      LookupCase{u"WordDocumen", StreamReadResult::StreamNotFound, u""},
                      LookupCase{u"WordDocument ", StreamReadResult::StreamNotFound, u""},
                      LookupCase{u"Inner", StreamReadResult::StreamNotFound, u""},
                      LookupCase{u"ObjectPool", StreamReadResult::StreamNotFound, u""},
                      LookupCase{u"Root Entry", StreamReadResult::StreamNotFound, u""},
                      LookupCase{u"", StreamReadResult::StreamNotFound, u""}));

TEST(CompoundFile, ListsEveryStreamOfEveryStorage) {
    const CompoundFileSpec spec = SampleSpec();
    const auto file = testing::BuildCompoundFile(spec);
    MemoryByteSource source(file);
    std::map<std::vector<std::u16string>, std::vector<std::uint8_t>> seen;
    ASSERT_EQ(ForEachStream(source, UnchargedMemory(),
                            [&](const StoredStream& stream) {
                                EXPECT_EQ(stream.result, StreamReadResult::Read);
                                seen[{stream.path.begin(), stream.path.end()}].assign(
                                    stream.bytes.begin(), stream.bytes.end());
                            })
                  .result,
              StreamReadResult::Read);
    std::map<std::vector<std::u16string>, std::vector<std::uint8_t>> expected;
    for (const CompoundStream& stream : spec.rootStreams) {
        expected[{stream.name}] = stream.data;
    }
    expected[{u"ObjectPool", u"Inner"}] = spec.rootStorages[0].streams[0].data;
    EXPECT_EQ(seen, expected);
}

TEST(CompoundFile, ListsNothingOfAFileThatIsNoCompoundFile) {
    const std::vector<std::uint8_t> text(2048, 'x');
    MemoryByteSource source(text);
    int visits = 0;
    EXPECT_EQ(
        ForEachStream(source, UnchargedMemory(), [&](const StoredStream&) { ++visits; }).result,
        StreamReadResult::NotCompoundFile);
    EXPECT_EQ(visits, 0);
}

TEST(CompoundFile, ReadsAFileOverSevenMegabytesThroughDifatSectors) {
    const auto stream = Pattern(7'600'000, 5);
    const auto built = BuildCompoundFileWithLayout({.rootStreams = {{u"WordDocument", stream}}});
    ASSERT_GT(built.layout.fatSectors.size(), 109u);
    ASSERT_EQ(built.layout.difatSectors.size(), 1u);
    testing::CountingByteSource source(built.bytes);
    std::vector<std::uint8_t> image;
    ASSERT_EQ(ReadInto(source, u"WordDocument", image), StreamReadResult::Read);
    EXPECT_EQ(image, stream);
    // Header, DIFAT sector, the FAT in one run, directory, the stream in one run.
    EXPECT_EQ(source.reads, 5);
}

TEST(CompoundFile, ReadsEachRunOfNeighbouringSectorsAtOnce) {
    for (const bool reverse : {false, true}) {
        const auto built = BuildCompoundFileWithLayout(
            {.rootStreams = {{u"WordDocument", Pattern(40 * 512, 6)}}, .reverseChains = reverse});
        testing::CountingByteSource source(built.bytes);
        std::vector<std::uint8_t> image;
        EXPECT_EQ(ReadInto(source, u"WordDocument", image), StreamReadResult::Read)
            << "reversed: " << reverse;
        // Header, FAT, directory, then the stream: one run, or one read per backward sector.
        EXPECT_EQ(source.reads, reverse ? 3 + 40 : 4) << "reversed: " << reverse;
    }
}

TEST(CompoundFile, ReusesTheImageAndClearsWhatWasThereBefore) {
    auto built =
        BuildCompoundFileWithLayout({.rootStreams = {{u"WordDocument", Pattern(8000, 7)}}});
    const auto& chain = built.layout.Stream(u"WordDocument").chain;
    PutLe32(built.bytes, built.layout.FatEntryOffset(chain[1]), kEndOfChain);
    std::vector<std::uint8_t> image(20000, 0xAA);
    const std::uint8_t* const storage = image.data();
    ASSERT_EQ(ReadFrom(built.bytes, u"WordDocument", image), StreamReadResult::Read);
    EXPECT_EQ(image.data(), storage);
    ASSERT_EQ(image.size(), 8000u);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 1024, Pattern(1024, 7).begin()));
    EXPECT_TRUE(std::all_of(image.begin() + 1024, image.end(), [](auto b) { return b == 0; }));
}

using Bytes = std::vector<std::uint8_t>;
using Layout = CompoundFileLayout;
using Patch = std::function<void(Bytes&, const Layout&)>;
using enum StreamReadResult;

const std::u16string kLarge = u"WordDocument";  // 20 regular sectors
const std::u16string kSmall = u"1Table";        // 5 mini sectors
const std::u16string kLast = u"Tail";           // the last sectors of the file

// How a corrupted sample file must come out: the result, and for Read how many leading bytes of
// the stream survive (the rest must be zero) and the size, when it differs from the stream's.
struct CorruptionCase {
    std::string name;
    Patch corrupt;
    StreamReadResult expected;
    std::size_t keptBytes = 0;
    std::u16string stream = kLarge;
    std::optional<std::size_t> size = std::nullopt;
    int majorVersion = 3;
};

void PrintTo(const CorruptionCase& param, std::ostream* out) {
    *out << param.name;
}

class Corruption : public ::testing::TestWithParam<CorruptionCase> {};

TEST_P(Corruption, GivesADefinedResult) {
    const CorruptionCase& param = GetParam();
    CompoundFileSpec spec = SampleSpec();
    spec.majorVersion = param.majorVersion;
    spec.rootStreams.push_back({kLast, Pattern(30000, 9)});
    auto built = BuildCompoundFileWithLayout(spec);
    param.corrupt(built.bytes, built.layout);

    std::vector<std::uint8_t> image(5, 0xAA);
    ASSERT_EQ(ReadFrom(built.bytes, param.stream, image), param.expected);
    if (param.expected != StreamReadResult::Read) {
        EXPECT_TRUE(image.empty());
        return;
    }
    const Bytes& original = DataOf(spec, param.stream);
    Bytes expected(param.size.value_or(original.size()), 0);
    std::copy_n(original.begin(), std::min(param.keptBytes, expected.size()), expected.begin());
    EXPECT_EQ(image, expected);
}

Patch SetHeaderByte(std::uint64_t offset, std::uint8_t value) {
    return [=](Bytes& b, const Layout&) { b.at(offset) = value; };
}

Patch SetHeader(std::uint64_t offset, std::uint32_t value) {
    return [=](Bytes& b, const Layout&) { PutLe32(b, offset, value); };
}

// Sets a field of the directory entry of `stream`, or of the root entry when it is empty.
Patch SetEntry(std::u16string stream, std::uint64_t offset, std::uint32_t value) {
    return [=](Bytes& b, const Layout& l) {
        const std::uint32_t entry = stream.empty() ? 0 : l.Stream(stream).directoryEntry;
        PutLe32(b, l.DirectoryEntryOffset(entry) + offset, value);
    };
}

// Makes the link after the `link`th sector of `stream` lead to `to`, or to the `linkTo`th
// sector of the same stream.
Patch Relink(std::u16string stream, std::size_t link, std::uint32_t to) {
    return [=](Bytes& b, const Layout& l) {
        const auto& placed = l.Stream(stream);
        const std::uint32_t at = placed.chain.at(link);
        PutLe32(b, placed.inMiniStream ? l.MiniFatEntryOffset(at) : l.FatEntryOffset(at), to);
    };
}

Patch RelinkBack(std::u16string stream, std::size_t link, std::size_t linkTo) {
    return [=](Bytes& b, const Layout& l) {
        Relink(stream, link, l.Stream(stream).chain.at(linkTo))(b, l);
    };
}

// Cuts the file `extra` bytes after the start of the `sector`th sector of the last stream.
Patch TruncateLast(std::size_t sector, std::size_t extra) {
    return [=](Bytes& b, const Layout& l) {
        b.resize(l.SectorOffset(l.Stream(kLast).chain.at(sector)) + extra);
    };
}

Patch Resize(std::size_t size) {
    return [=](Bytes& b, const Layout&) { b.resize(size); };
}

// Every entry's siblings lead back to the top of the tree or to itself.
void LoopSiblings(Bytes& b, const Layout& l) {
    const std::uint32_t top = GetLe32(b, l.DirectoryEntryOffset(0) + field::kEntryChild);
    for (const auto& placed : l.streams) {
        const std::uint64_t at = l.DirectoryEntryOffset(placed.directoryEntry);
        PutLe32(b, at + field::kEntryLeft, top);
        PutLe32(b, at + field::kEntryRight, placed.directoryEntry);
    }
}

void LoopDirectoryChain(Bytes& b, const Layout& l) {
    const std::uint32_t first = l.directorySectors.at(0);
    PutLe32(b, l.FatEntryOffset(first), first);
}

std::vector<CorruptionCase> CorruptionCases() {
    const std::uint32_t outOfRange = 0x00FFFFFF;
    return {
        {"Intact", [](Bytes&, const Layout&) {}, Read, 10000},
        {"BadSignature", SetHeaderByte(3, 0), NotCompoundFile},
        {"BigEndianMark", SetHeaderByte(field::kHeaderByteOrder, 0xFF), NotCompoundFile},
        {"Version3With4096ByteSectors", SetHeaderByte(field::kHeaderSectorShift, 12),
         NotCompoundFile},
        {"UnknownVersion", SetHeaderByte(field::kHeaderMajorVersion, 5), NotCompoundFile},
        {"WrongMiniSectorShift", SetHeaderByte(field::kHeaderMiniSectorShift, 7), NotCompoundFile},
        {"EmptyFile", Resize(0), NotCompoundFile},
        {"ShorterThanTheHeader", Resize(511), NotCompoundFile},
        {"HeaderOnly", Resize(512), NotCompoundFile},
        {"FatSectorOutOfRange", SetHeader(field::kHeaderDifat, outOfRange), NotCompoundFile},
        {"FatSectorListedAsFree", SetHeader(field::kHeaderFatSectorCount, 2), NotCompoundFile},
        {"FatSectorCountBeyondTheFile", SetHeader(field::kHeaderFatSectorCount, 0x7FFFFFFF),
         NotCompoundFile},
        {"DirectoryStartOutOfRange", SetHeader(field::kHeaderFirstDirectorySector, outOfRange),
         NotCompoundFile},
        {"NoDirectory", SetHeader(field::kHeaderFirstDirectorySector, kEndOfChain),
         NotCompoundFile},
        {"FirstEntryIsNoRoot",
         [](Bytes& b, const Layout& l) { b.at(l.DirectoryEntryOffset(0) + field::kEntryType) = 1; },
         NotCompoundFile},
        // The chain keeps the directory's first sector, which holds the entries looked for.
        {"DirectoryChainLoopsToItself", LoopDirectoryChain, Read, 10000},
        {"SiblingLinksLoop", LoopSiblings, StreamNotFound, 0, u"Missing"},
        {"SiblingsLinkBackToTheRoot",
         [](Bytes& b, const Layout& l) {
             SetEntry(kLarge, field::kEntryLeft, 0)(b, l);
             SetEntry(kLarge, field::kEntryRight, 0)(b, l);
         },
         Read, 10000},
        {"TreeTopOutOfRange", SetEntry(u"", field::kEntryChild, 0x123456), StreamNotFound},
        {"StreamStartsOutOfRange", SetEntry(kLarge, field::kEntryStartSector, outOfRange), Read, 0},
        {"StreamChainHitsAnOutOfRangeId", Relink(kLarge, 2, outOfRange), Read, 3 * 512},
        {"StreamChainHitsAFreeSector", Relink(kLarge, 2, kFreeSector), Read, 3 * 512},
        {"StreamChainEndsEarly", Relink(kLarge, 4, kEndOfChain), Read, 5 * 512},
        {"StreamChainCycles", RelinkBack(kLarge, 3, 1), Read, 4 * 512},
        {"StreamChainLongerThanTheSize", SetEntry(kLarge, field::kEntrySize, 5000), Read, 5000,
         kLarge, 5000},
        {"Version3IgnoresTheHighHalfOfTheSize", SetEntry(kLarge, field::kEntrySize + 4, 0xFFFFFFFF),
         Read, 10000},
        {"Version4SizeOverFourGigabytes", SetEntry(kLarge, field::kEntrySize + 4, 1),
         StreamTooLarge, 0, kLarge, std::nullopt, 4},
        {"TwoGigabytes", SetEntry(kLarge, field::kEntrySize, 0x80000000), StreamTooLarge},
        {"SizeBeyondTheFile", SetEntry(kLarge, field::kEntrySize, 60000), StreamTooLarge},
        {"TruncatedAtASector", TruncateLast(50, 0), Read, 50 * 512, kLast},
        {"TruncatedMidSector", TruncateLast(50, 100), Read, 50 * 512 + 100, kLast},
        {"TruncatedBelowTheStreamSize", TruncateLast(0, 1000), StreamTooLarge, 0, kLast},
        {"MiniChainCycles", RelinkBack(kSmall, 2, 0), Read, 3 * 64, kSmall},
        {"MiniChainOutOfRange", Relink(kSmall, 1, 5000), Read, 2 * 64, kSmall},
        {"MiniFatStartOutOfRange", SetHeader(field::kHeaderFirstMiniFatSector, outOfRange), Read, 0,
         kSmall},
        {"MiniStreamStartOutOfRange", SetEntry(u"", field::kEntryStartSector, outOfRange), Read, 0,
         kSmall},
        // The root now records only the first three of the stream's mini sectors.
        {"MiniStreamShorterThanItsSectors", SetEntry(u"", field::kEntrySize, 3 * 64), Read, 3 * 64,
         kSmall},
    };
}

INSTANTIATE_TEST_SUITE_P(CompoundFile, Corruption, ::testing::ValuesIn(CorruptionCases()),
                         [](const auto& info) { return info.param.name; });

TEST(CompoundFile, RefusesDifatThatLoopsOrLeavesTheFile) {
    const auto stream = Pattern(3000, 8);
    for (const std::uint32_t next : {0u, 0x00FFFFFFu}) {
        auto built = BuildCompoundFileWithLayout(
            {.rootStreams = {{u"WordDocument", stream}}, .minimumFatSectors = 300});
        EXPECT_EQ(built.layout.difatSectors.size(), 2u) << next;
        if (built.layout.difatSectors.size() != 2u) {
            continue;
        }
        const std::uint64_t link = built.layout.SectorOffset(built.layout.difatSectors[0]) + 508;
        PutLe32(built.bytes, link, next == 0 ? built.layout.difatSectors[0] : next);
        std::vector<std::uint8_t> image;
        EXPECT_EQ(ReadFrom(built.bytes, u"WordDocument", image), StreamReadResult::NotCompoundFile)
            << next;
    }
}

}  // namespace
}  // namespace kalvor::cfb
