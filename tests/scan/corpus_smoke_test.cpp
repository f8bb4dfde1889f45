#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "report/reason_texts.h"
#include "scan/folder_search.h"
#include "tests/support/search_sink_recorder.h"
#include "tests/support/temp_dir.h"

namespace kalvor::scan {
namespace {

namespace fs = std::filesystem;

// The real-world corpus is read-only and a document must be writable to be examined, so the
// search runs over a writable copy.
TEST(CorpusSmoke, GivesEveryRealWorldDocumentAVerdict) {
    const fs::path corpus = KALVOR_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    const testing::TempDir dir;
    fs::copy(corpus, dir.Path());
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.Path())) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    }
    SearchSinkRecorder sink;
    const SearchProgress progress = SearchFolder(dir.Path(), sink);

    std::map<std::string_view, int> reasons;
    for (const auto& [path, reason] : sink.notExamined) {
        ++reasons[report::ReasonToken(reason)];
    }
    // One Word 2 file, one compound file without a WordDocument stream, the documents of Word 6,
    // Word 95 and other writers, and one Word 97-2003 document a password hides; the other 79 are
    // read and carry no marking.
    const std::map<std::string_view, int> expected = {{"encrypted", 1},
                                                      {"no-word-document-stream", 1},
                                                      {"not-compound-file", 1},
                                                      {"unsupported-version", 87}};
    EXPECT_EQ(reasons, expected);
    EXPECT_EQ(progress.documentsExamined, 169u);
    EXPECT_EQ(progress.documentsNotExamined, 90u);
    EXPECT_EQ(progress.documentsMarked, 0u);
    EXPECT_TRUE(sink.rows.empty());
}

}  // namespace
}  // namespace kalvor::scan
