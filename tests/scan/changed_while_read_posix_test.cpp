#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scan/document_open.h"
#include "tests/support/temp_dir.h"

namespace kalvor::scan {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// An examination that reads the document in two halves, with the file appended to at `change`
// (steps counted from 0: the first read, then the second), and comes to `verdict` from what it
// read.
struct ChangeCase {
    std::string name;
    int change;
    MarkingVerdict verdict;
    Examination expected;
};

constexpr int kNever = 9;

void Append(const fs::path& path) {
    std::ofstream(path, std::ios::binary | std::ios::app) << "more";
}

TEST(ChangedWhileRead, NoVerdictComesFromBytesReadAfterTheChangeBegan) {
    const Examination changed = NotExamined(FileRefusal::ChangedWhileRead);
    const Examination marked{MarkingVerdict::Marked};
    const Examination notMarked{MarkingVerdict::NotMarked};
    const std::vector<ChangeCase> cases = {
        {"unchanged", kNever, MarkingVerdict::NotMarked, notMarked},
        // The marking was in the bytes read before the change: they were the file's own.
        {"marked before the change", 1, MarkingVerdict::Marked, marked},
        {"no marking, changed", 1, MarkingVerdict::NotMarked, changed},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TempDir dir;
        const fs::path path = dir.Write("a.doc", std::vector<std::uint8_t>(64, 0x20));
        // A stamp in the past, so that a change within one tick of the clock is seen.
        fs::last_write_time(path, fs::last_write_time(path) - 1h);
        const Examination examination = ExamineOpenedDocument(
            path, platform::ListedAs::PlainFile, nullptr, {}, nullptr, [&](OpenedDocument& opened) {
                for (int step = 0; step < 3; ++step) {
                    if (step == c.change) {
                        Append(path);
                    }
                    if (step < 2) {
                        std::array<std::uint8_t, 32> half{};
                        opened.file->ReadAt(static_cast<std::uint64_t>(step) * half.size(), half);
                    }
                }
                return Examination{c.verdict};
            });
        EXPECT_EQ(examination.verdict, c.expected.verdict);
        EXPECT_EQ(examination.reason, c.expected.reason);
    }
}

}  // namespace
}  // namespace kalvor::scan
