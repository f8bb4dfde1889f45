#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "scan/folder_search.h"
#include "tests/support/search_sink_recorder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/windows_files.h"
#include "tests/support/word_stream.h"

namespace kalvor::scan {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

const std::vector<std::uint8_t> kMarkedDocument = testing::WordDocumentWithText(u"文件 绝密");

class FolderSearchOnWindows : public ::testing::Test {
  protected:
    Paths Search(const fs::path& folder) {
        SearchFolder(folder, sink_);
        return sink_.RowPaths(folder);
    }

    testing::TempDir dir_;
    SearchSinkRecorder sink_;
};

// The walk follows the platform's listing, depth first, without sorting.
TEST_F(FolderSearchOnWindows, WalksInTheOrderThePlatformListsIn) {
    for (const char* name : {"z.doc", "a.doc", "M.doc", "s/b.doc", "s/A.doc", "k/x.doc"}) {
        dir_.Write(name, kMarkedDocument);
    }
    Paths expected;
    for (const std::wstring& name : testing::PlatformListingOrder(dir_.Path())) {
        const fs::path path = dir_.Path() / name;
        if (fs::is_directory(path)) {
            for (const std::wstring& inner : testing::PlatformListingOrder(path)) {
                expected.push_back((fs::path(name) / inner).generic_string());
            }
        } else {
            expected.push_back(fs::path(name).generic_string());
        }
    }
    EXPECT_EQ(Search(dir_.Path()), expected);
    EXPECT_EQ(expected.size(), 6U);
}

TEST_F(FolderSearchOnWindows, PassesOverReadOnlyAndHeldDocuments) {
    for (const char* name : {"held.doc", "listed.doc", "read-only.doc"}) {
        dir_.Write(name, kMarkedDocument);
    }
    testing::SetReadOnlyAttribute(dir_.Path() / "read-only.doc");
    const testing::HeldFile held(dir_.Path() / "held.doc", FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(held.IsOpen());
    EXPECT_EQ(Search(dir_.Path()), Paths{"listed.doc"});
    EXPECT_EQ(sink_.notExamined.size(), 2U);
}

TEST_F(FolderSearchOnWindows, MatchesTheExtensionWhateverItsCase) {
    for (const char* name : {"A.DOC", "b.Doc", ".doc", "d.docx", "e.doc.bak", "doc", "x.doc/y"}) {
        dir_.Write(name, kMarkedDocument);
    }
    const Paths found = Search(dir_.Path());
    EXPECT_EQ(found.size(), 3U);
    for (const char* name : {"A.DOC", "b.Doc", ".doc"}) {
        EXPECT_NE(std::find(found.begin(), found.end(), name), found.end()) << name;
    }
}

TEST_F(FolderSearchOnWindows, GivesADriveRootsFilesASingleSeparator) {
    const testing::SubstitutedDrive drive(dir_.Path());
    if (drive.Root().empty()) {
        GTEST_SKIP() << "no drive to map";
    }
    testing::WriteBytes(drive.Root() / "a.doc", kMarkedDocument);
    fs::create_directory(drive.Root() / "s");
    testing::WriteBytes(drive.Root() / "s" / "b.doc", kMarkedDocument);
    SearchFolder(drive.Root(), sink_);
    std::vector<std::wstring> paths;
    for (const ResultRow& row : sink_.rows) {
        paths.push_back(row.path.native());
    }
    std::sort(paths.begin(), paths.end());
    const std::wstring root = drive.Root().native();
    EXPECT_EQ(paths, (std::vector<std::wstring>{root + L"a.doc", root + L"s\\b.doc"}));
}

// A folder is listed while its pattern fits 259 units; a document is examined while its full
// path does.
TEST_F(FolderSearchOnWindows, StopsAtThePathLimit) {
    const fs::path deep = testing::FolderOfLength(dir_.Path() / "deep", 250);
    for (const std::size_t units : {259, 260}) {
        const std::size_t nameLength = units - deep.native().size() - 1;
        const fs::path path = deep / (std::wstring(nameLength - 4, L'n') + L".doc");
        testing::WriteBytes(testing::LongPath(path), kMarkedDocument);
    }
    const fs::path listed = testing::FolderOfLength(dir_.Path() / "listed", 257);
    testing::WriteBytes(testing::LongPath(listed / "a.doc"), kMarkedDocument);
    const fs::path skipped = testing::FolderOfLength(dir_.Path() / "skipped", 258);
    testing::WriteBytes(testing::LongPath(skipped / "a.doc"), kMarkedDocument);

    const SearchProgress progress = SearchFolder(dir_.Path(), sink_);
    ASSERT_EQ(sink_.rows.size(), 1U);
    EXPECT_EQ(sink_.rows[0].path.native().size(), 259U);
    // Nothing of the folder whose pattern is too long; the file in the other one is reported.
    std::vector<std::size_t> tooLong;
    for (const auto& [path, reason] : sink_.notExamined) {
        EXPECT_EQ(reason, FileRefusal::PathTooLong);
        tooLong.push_back(path.native().size());
    }
    std::sort(tooLong.begin(), tooLong.end());
    EXPECT_EQ(tooLong, (std::vector<std::size_t>{260, 263}));
    EXPECT_EQ(progress.documentsMarked, 1U);
}

}  // namespace
}  // namespace kalvor::scan
