#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "cfb/compound_file.h"
#include "tests/support/compound_file_builder.h"

namespace kalvor::cfb {
namespace {

namespace field = testing::cfb_field;
using Bytes = std::vector<std::uint8_t>;

struct RefusalCase {
    const char* name;
    std::function<void(Bytes&, const testing::CompoundFileLayout&)> spoil;
    NotCompoundReason expected;
};

// Why the reader refuses a file as no compound file is kept with the refusal, whichever way of
// reading the caller chose.
class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, KeepsWhyTheFileIsNoCompoundFile) {
    // Over 109 FAT sectors, so the file has a DIFAT sector to break.
    auto built = testing::BuildCompoundFileWithLayout(
        {.rootStreams = {{u"WordDocument", Bytes(5000, 'w')}}, .minimumFatSectors = 110});
    GetParam().spoil(built.bytes, built.layout);
    MemoryByteSource source(built.bytes);
    const ReadStatus copied = ReadRootStream(source, u"WordDocument", UnchargedMemory()).status;
    RootStreamReader reader(UnchargedMemory());
    const ReadStatus viewed = reader.Read(source, u"WordDocument").status;
    for (const ReadStatus& status : {copied, viewed}) {
        EXPECT_EQ(status.result, GetParam().expected == NotCompoundReason::None
                                     ? StreamReadResult::Read
                                     : StreamReadResult::NotCompoundFile);
        EXPECT_EQ(status.notCompound, GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    CompoundFile, Refusal,
    ::testing::Values(RefusalCase{"Intact", [](Bytes&, const auto&) {}, NotCompoundReason::None},
                      RefusalCase{"CutInsideTheHeader",
                                  [](Bytes& b, const auto&) { b.resize(300); },
                                  NotCompoundReason::ShorterThanHeader},
                      RefusalCase{"OtherSignature", [](Bytes& b, const auto&) { b[0] = '{'; },
                                  NotCompoundReason::NoSignature},
                      RefusalCase{"BigEndianMark",
                                  [](Bytes& b, const auto&) { b[field::kHeaderByteOrder] = 0xFF; },
                                  NotCompoundReason::BadHeader},
                      RefusalCase{"FatSectorBeyondTheFile",
                                  [](Bytes& b, const auto&) {
                                      testing::PutLe32(b, field::kHeaderDifat, 0x00FFFFFF);
                                  },
                                  NotCompoundReason::FatOutsideFile},
                      RefusalCase{"DifatBeyondTheFile",
                                  [](Bytes& b, const auto&) {
                                      testing::PutLe32(b, field::kHeaderFirstDifatSector,
                                                       0x00FFFFFF);
                                  },
                                  NotCompoundReason::BrokenDifat},
                      RefusalCase{"RootEntryAStorage",
                                  [](Bytes& b, const testing::CompoundFileLayout& l) {
                                      b[l.DirectoryEntryOffset(0) + field::kEntryType] = 1;
                                  },
                                  NotCompoundReason::NoRootEntry}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kalvor::cfb
