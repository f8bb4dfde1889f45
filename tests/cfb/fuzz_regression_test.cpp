#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/document_checks.h"
#include "scan/marking_detector.h"
#include "tests/support/temp_dir.h"

namespace kalvor::fuzz {
namespace {

namespace fs = std::filesystem;

const fs::path kRegressions = fs::path(KALVOR_TEST_DATA_DIR).parent_path() / "fuzz-regressions";

std::vector<fs::path> Inputs() {
    std::vector<fs::path> inputs;
    for (const fs::path& folder : {kRegressions, fs::path(KALVOR_TEST_DATA_DIR)}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Every input that ever broke a rule of the fuzzer, and the real documents, held to all its rules
// again, and examined once more from a file the way a search examines it.
TEST(FuzzRegressions, HoldEveryInputToTheFuzzersRules) {
    const std::vector<fs::path> inputs = Inputs();
    ASSERT_GT(inputs.size(), 4u);
    cfb::RootStreamReader reader(cfb::UnchargedMemory());
    const testing::TempDir dir;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().native());
        std::ifstream in(input, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(CheckDocument(bytes, reader), std::nullopt);

        cfb::MemoryByteSource source(bytes);
        const cfb::StreamCopy stream =
            cfb::ReadRootStream(source, u"WordDocument", cfb::UnchargedMemory());
        const std::vector<std::uint8_t>& image = stream.image;
        const bool read = stream.status.result == cfb::StreamReadResult::Read;
        const scan::MarkingVerdict verdict =
            read ? reference::VerdictByteByByte(image) : scan::MarkingVerdict::NotExamined;
        EXPECT_EQ(scan::CheckMarking(dir.Write("input.doc", bytes)), verdict);
    }
}

}  // namespace
}  // namespace kalvor::fuzz
