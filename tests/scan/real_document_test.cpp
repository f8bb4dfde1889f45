#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cfb/compound_file.h"
#include "platform/exclusive_file.h"
#include "scan/document_bytes.h"
#include "scan/examination_memory.h"
#include "tests/support/temp_dir.h"

namespace kalvor::platform {
namespace {

namespace fs = std::filesystem;

// Documents saved as Word 97-2003 by LibreOffice. The two smaller streams live in the mini
// stream, the larger one in regular sectors.
struct RealDocument {
    std::string file;
    std::size_t streamSize;
};

void PrintTo(const RealDocument& param, std::ostream* out) {
    *out << param.file;
}

class RealDocuments : public ::testing::TestWithParam<RealDocument> {};

TEST_P(RealDocuments, ReadTheirWordDocumentStream) {
    const testing::TempDir dir;
    const fs::path copy = dir.Path() / GetParam().file;
    fs::copy_file(fs::path(KALVOR_TEST_DATA_DIR) / GetParam().file, copy);
    fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
    const auto file = ExclusiveFile::Open(copy).file;
    ASSERT_NE(file, nullptr);
    scan::DocumentBytes bytes(*file);
    const cfb::StreamCopy read =
        cfb::ReadRootStream(bytes, u"WordDocument", scan::ExaminationMemory());
    ASSERT_EQ(read.status.result, cfb::StreamReadResult::Read);
    const std::vector<std::uint8_t>& image = read.image;
    ASSERT_EQ(image.size(), GetParam().streamSize);
    // The file information block opens with its magic number and a Word 97 version byte.
    EXPECT_EQ(image[0], 0xEC);
    EXPECT_EQ(image[1], 0xA5);
    EXPECT_EQ(image[5], 0x20);
}

INSTANTIATE_TEST_SUITE_P(CompoundFile, RealDocuments,
                         ::testing::Values(RealDocument{"marked-mimi.doc", 3645},
                                           RealDocument{"marked-jimi-spaced.doc", 3645},
                                           RealDocument{"marked-juemi.doc", 7229},
                                           RealDocument{"unmarked.doc", 3645}));

}  // namespace
}  // namespace kalvor::platform
