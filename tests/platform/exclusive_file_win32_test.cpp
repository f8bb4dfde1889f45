#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cfb/compound_file.h"
#include "platform/exclusive_file.h"
#include "scan/examination_memory.h"
#include "scan/formats/word_document.h"
#include "scan/marking_detector.h"
#include "tests/support/temp_dir.h"
#include "tests/support/windows_files.h"
#include "tests/support/word_stream.h"

namespace kalvor::platform {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kMarkedDocument = testing::WordDocumentWithText(u"秘密");

struct OpenCase {
    const char* name;
    std::function<fs::path(const testing::TempDir&)> make;
    OpenOutcome expected;
};

void PrintTo(const OpenCase& param, std::ostream* out) {
    *out << param.name;
}

class Opening : public ::testing::TestWithParam<OpenCase> {};

TEST_P(Opening, GivesTheOutcomeWindowsGives) {
    const testing::TempDir dir;
    const fs::path path = GetParam().make(dir);
    const auto [file, outcome] = ExclusiveFile::Open(path);
    EXPECT_EQ(outcome, GetParam().expected);
    EXPECT_EQ(file != nullptr, GetParam().expected == OpenOutcome::Opened);
}

// The full path of a file in `dir` with exactly `units` units.
fs::path FileWithPathOfLength(const testing::TempDir& dir, std::size_t units) {
    const fs::path path = testing::FolderOfLength(dir.Path() / "deep", units - 6) / "x.doc";
    testing::WriteBytes(testing::LongPath(path), kMarkedDocument);
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    ExclusiveFile, Opening,
    ::testing::Values(
        OpenCase{"PlainFile", [](const auto& dir) { return dir.Write("a.doc", kMarkedDocument); },
                 OpenOutcome::Opened},
        OpenCase{"ReadOnlyAttribute",
                 [](const auto& dir) {
                     const fs::path path = dir.Write("a.doc", kMarkedDocument);
                     testing::SetReadOnlyAttribute(path);
                     return path;
                 },
                 OpenOutcome::ReadOnly},
        OpenCase{"Folder", [](const auto& dir) { return dir.MakeDir("a.doc"); },
                 OpenOutcome::NotRegularFile},
        OpenCase{"Missing", [](const auto& dir) { return dir.Path() / "a.doc"; },
                 OpenOutcome::Missing},
        OpenCase{"PathOf259Units", [](const auto& dir) { return FileWithPathOfLength(dir, 259); },
                 OpenOutcome::Opened},
        OpenCase{"PathOf260Units", [](const auto& dir) { return FileWithPathOfLength(dir, 260); },
                 OpenOutcome::Missing}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever sharing the other handle allows, ours asks for none, so any open handle refuses us.
TEST(ExclusiveFile, RefusesAFileHeldOpenWithAnySharing) {
    const testing::TempDir dir;
    const fs::path path = dir.Write("a.doc", kMarkedDocument);
    for (const DWORD sharing :
         {DWORD{0}, DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE},
          DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        SCOPED_TRACE(sharing);
        const testing::HeldFile held(path, sharing);
        ASSERT_TRUE(held.IsOpen());
        const OpenedFile opened = ExclusiveFile::Open(path);
        EXPECT_EQ(opened.file, nullptr);
        EXPECT_EQ(opened.outcome, OpenOutcome::Locked);
    }
    EXPECT_NE(ExclusiveFile::Open(path).file, nullptr);
}

TEST(ExclusiveFile, KeepsOthersOutWhileOpenAndReadsWhatTheFileHolds) {
    const testing::TempDir dir;
    const fs::path path = dir.Write("a.doc", kMarkedDocument);
    {
        const auto file = ExclusiveFile::Open(path).file;
        ASSERT_NE(file, nullptr);
        EXPECT_FALSE(testing::HeldFile(path, FILE_SHARE_READ | FILE_SHARE_WRITE).IsOpen());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        ASSERT_EQ(file->Size(), kMarkedDocument.size());
        std::vector<std::uint8_t> tail(kMarkedDocument.size());
        const std::size_t offset = kMarkedDocument.size() / 3;
        EXPECT_EQ(file->ReadAt(offset, tail), kMarkedDocument.size() - offset);
        EXPECT_TRUE(std::equal(kMarkedDocument.begin() + static_cast<std::ptrdiff_t>(offset),
                               kMarkedDocument.end(), tail.begin()));
    }
    EXPECT_TRUE(testing::HeldFile(path, FILE_SHARE_READ).IsOpen());
}

TEST(CheckMarkingOnWindows, PassesOverADocumentAnotherProcessHoldsOpen) {
    const testing::TempDir dir;
    const fs::path path = dir.Write("a.doc", kMarkedDocument);
    {
        testing::HeldFile held(path, FILE_SHARE_READ);
        ASSERT_TRUE(held.HandOverToChildProcess());
        cfb::RootStreamReader reader(scan::ExaminationMemory());
        EXPECT_EQ(scan::ExamineDocument(path, reader).reason, scan::FileRefusal::Locked);
        EXPECT_EQ(scan::CheckMarking(path), scan::MarkingVerdict::NotExamined);
    }
    EXPECT_EQ(scan::CheckMarking(path), scan::MarkingVerdict::Marked);
}

TEST(CheckMarkingOnWindows, ExaminesPathsUpTo259UnitsOnly) {
    const testing::TempDir dir;
    cfb::RootStreamReader reader(scan::ExaminationMemory());
    const fs::path fits = FileWithPathOfLength(dir, 259);
    EXPECT_EQ(scan::ExamineDocument(fits, reader).verdict, scan::MarkingVerdict::Marked);
    const fs::path tooLong = FileWithPathOfLength(dir, 260);
    EXPECT_EQ(scan::ExamineDocument(tooLong, reader).reason, scan::FileRefusal::PathTooLong);
}

}  // namespace
}  // namespace kalvor::platform
