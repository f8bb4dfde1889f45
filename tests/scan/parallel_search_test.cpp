#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/memory_budget.h"
#include "report/cell_texts.h"
#include "report/reason_texts.h"
#include "scan/document_format.h"
#include "scan/folder_search.h"
#include "scan/result_row.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"
#include "tests/support/word_stream.h"

namespace kalvor::scan {
namespace {

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

// When a sink asks its search to stop: once it holds that many rows, or has heard of that many
// folders listed.
struct StopAt {
    std::size_t rows = std::numeric_limits<std::size_t>::max();
    std::uint64_t folders = std::numeric_limits<std::uint64_t>::max();
};

// Every call a search makes of its sink, one line each, in order; and whether any came from a
// thread other than the one that started the search.
class CallLog final : public SearchSink {
  public:
    CallLog(fs::path root, StopAt stop) : root_(std::move(root)), stop_(stop) {}

    void AddResultRow(const ResultRow& row) override {
        Note("row " + Relative(row.path) + " " + report::SizeText(row.size) + " " +
             report::StampText(row.lastWriteTime));
        ++rows_;
    }
    void NoteNotExamined(const fs::path& path, NotExaminedReason reason) override {
        Note("not-examined " + Relative(path) + " " + std::string(report::ReasonToken(reason)));
    }
    void NoteFolderNotListed(const fs::path& folder, FolderNotListedReason reason) override {
        Note("not-listed " + Relative(folder) + " " + std::string(report::ReasonToken(reason)));
    }
    void NoteProgress(const SearchProgress& progress) override {
        Note("progress " + std::to_string(progress.foldersListed) + " " +
             std::to_string(progress.documentsExamined) + " " +
             std::to_string(progress.documentsMarked) + " " +
             std::to_string(progress.documentsNotExamined));
        foldersListed_ = progress.foldersListed;
    }
    void NoteSearchFailed(const std::string& what) override { Note("failed " + what); }
    bool StopRequested() override {
        CheckThread();
        return rows_ >= stop_.rows || foldersListed_ >= stop_.folders;
    }

    Log lines;
    bool calledFromAnotherThread = false;

  private:
    void Note(std::string line) {
        CheckThread();
        lines.push_back(std::move(line));
    }
    void CheckThread() { calledFromAnotherThread |= std::this_thread::get_id() != thread_; }
    std::string Relative(const fs::path& path) const {
        return path.lexically_relative(root_).generic_string();
    }

    fs::path root_;
    StopAt stop_;
    std::thread::id thread_ = std::this_thread::get_id();
    std::size_t rows_ = 0;
    std::uint64_t foldersListed_ = 0;
};

// What the search of `root` with `jobs` tells its sink, stopping as `stop` says.
Log Calls(const fs::path& root, unsigned jobs, StopAt stop = {},
          const DocumentExaminer* examiner = nullptr) {
    CallLog log(root, stop);
    const SearchProgress progress = SearchFolder(root, log, {.jobs = jobs, .examiner = examiner});
    EXPECT_FALSE(log.calledFromAnotherThread) << "jobs " << jobs;
    log.lines.push_back("returned " + std::to_string(progress.documentsExamined));
    return log.lines;
}

// The kinds of file a tree is grown from.
struct Samples {
    std::vector<std::uint8_t> marked = testing::WordDocumentWithText(u"正文 绝密 正文");
    std::vector<std::uint8_t> markedLarge = testing::BuildWordDocument(
        testing::WordStream(60'000, {{59'990, testing::Utf16Le(u"机\t密")}}));
    std::vector<std::uint8_t> plain = testing::WordDocumentWithText(u"保密协议 密码");
    std::vector<std::uint8_t> oldVersion =
        testing::BuildWordDocument(testing::WordStreamWithText(u"秘密", 0x00));
    std::vector<std::uint8_t> rtf = {'{', '\\', 'r', 't', 'f', '1', '}'};
};

// A tree of nested folders drawn from `seed`: marked, unmarked, old, read-only and
// not-compound documents among files of other kinds, names in any case, empty folders, links to
// folders and a link back up.
void GrowTree(const testing::TempDir& dir, std::uint32_t seed, int files) {
    static const Samples samples;
    std::mt19937 random(seed);
    const auto below = [&](std::size_t bound) { return random() % bound; };
    std::vector<fs::path> folders = {""};
    for (int i = 0; i < files; ++i) {
        if (below(8) == 0) {
            folders.push_back(folders[below(folders.size())] / ("d" + std::to_string(i)));
            dir.MakeDir(folders.back());
        }
        const fs::path folder = folders[below(folders.size())];
        const std::string stem =
            std::string(1, static_cast<char>('a' + below(26))) + std::to_string(i);
        static const std::array<const char*, 4> kExtensions = {".doc", ".DOC", ".Doc", ".txt"};
        const fs::path path = folder / (stem + kExtensions[below(kExtensions.size())]);
        static const std::array<const std::vector<std::uint8_t>*, 5> kContents = {
            &samples.marked, &samples.markedLarge, &samples.plain, &samples.oldVersion,
            &samples.rtf};
        const fs::path written = dir.Write(path, *kContents[below(kContents.size())]);
        if (below(20) == 0) {
            fs::permissions(written, fs::perms::owner_read | fs::perms::group_read);
        }
    }
#ifndef _WIN32
    // Windows makes folder links only for administrators.
    fs::create_directory_symlink(dir.Path() / folders.back(), dir.Path() / "link-to-last");
    fs::create_directory_symlink("..", dir.Path() / folders.back() / "up");
#endif
}

TEST(ParallelSearch, TellsTheSinkWhatASearchOfOneFileAtATimeTells) {
    for (const std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        const testing::TempDir dir;
        GrowTree(dir, seed, 60 + static_cast<int>(seed) * 150);
        const Log sequential = Calls(dir.Path(), 1);
        EXPECT_GT(sequential.size(), 20u);
        if (sequential.size() <= 20u) {
            continue;
        }
        for (const unsigned jobs : {2u, 3u, 8u}) {
            SCOPED_TRACE(jobs);
            EXPECT_EQ(Calls(dir.Path(), jobs), sequential);
        }
    }
}

#ifndef _WIN32
// Drops the files of the tree from the page cache, as far as the system lets a program do so, so
// that reads wait for the disk and the search asks for reads ahead.
void DropFromPageCache(const fs::path& root) {
    sync();
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const int fd = entry.is_regular_file() ? open(entry.path().c_str(), O_RDONLY) : -1;
        if (fd >= 0) {
            posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            close(fd);
        }
    }
}

TEST(ParallelSearch, TellsTheSameFromAColdDiskAsFromMemory) {
    const testing::TempDir dir;
    GrowTree(dir, 6, 600);
    const std::vector<std::pair<unsigned, StopAt>> searches = {
        {2, {}}, {8, {}}, {2, {.rows = 7}}, {3, {.folders = 4}}};
    for (const auto& [jobs, stop] : searches) {
        SCOPED_TRACE(std::to_string(jobs) + " jobs, stop at " + std::to_string(stop.rows) +
                     " rows, " + std::to_string(stop.folders) + " folders");
        const Log fromMemory = Calls(dir.Path(), 1, stop);
        DropFromPageCache(dir.Path());
        EXPECT_EQ(Calls(dir.Path(), jobs, stop), fromMemory);
    }
}
#endif

TEST(ParallelSearch, StopsWhereASearchOfOneFileAtATimeStops) {
    const testing::TempDir dir;
    GrowTree(dir, 5, 400);
    const std::vector<StopAt> stops = {{.rows = 0},    {.rows = 1},    {.rows = 7},    {.rows = 40},
                                       {.folders = 1}, {.folders = 3}, {.folders = 20}};
    for (const StopAt& stop : stops) {
        SCOPED_TRACE(std::to_string(stop.rows) + " rows, " + std::to_string(stop.folders) +
                     " folders");
        const Log sequential = Calls(dir.Path(), 1, stop);
        EXPECT_EQ(Calls(dir.Path(), 2, stop), sequential);
        EXPECT_EQ(Calls(dir.Path(), 5, stop), sequential);
    }
}

// Hard links, and on POSIX a link to the file: workers that meet the same file at once must not
// take each other for another program holding it.
TEST(ParallelSearch, ListsEveryNameOfOneFileWhateverTheNumberOfJobs) {
    const testing::TempDir dir;
    const fs::path original = dir.Write("a/original.doc", Samples().marked);
    constexpr int kNames = 400;
    for (int i = 0; i < kNames; ++i) {
        const fs::path folder = dir.MakeDir("h" + std::to_string(i % 7));
        fs::create_hard_link(original, folder / ("copy" + std::to_string(i) + ".doc"));
    }
    int links = 0;
#ifndef _WIN32
    fs::create_symlink(original, dir.Path() / "z-link.doc");
    ++links;
#endif
    const Log sequential = Calls(dir.Path(), 1);
    ASSERT_EQ(std::count_if(sequential.begin(), sequential.end(),
                            [](const std::string& line) { return line.starts_with("row "); }),
              kNames + 1 + links);
    for (int round = 0; round < 3; ++round) {
        for (const unsigned jobs : {2u, 4u, 8u}) {
            SCOPED_TRACE(jobs);
            EXPECT_EQ(Calls(dir.Path(), jobs), sequential);
        }
    }
}

#ifndef _WIN32
TEST(ParallelSearch, ReportsAFolderThatCannotBeListedInItsPlace) {
    const testing::TempDir dir;
    GrowTree(dir, 6, 200);
    dir.WriteText("m-closed/inside.doc", "x");
    fs::permissions(dir.Path(), fs::perms::all);
    fs::permissions(dir.Path() / "m-closed", fs::perms::none);
    const std::optional<std::string> same = testing::RunUnprivileged([&] {
        const Log sequential = Calls(dir.Path(), 1);
        const bool seen = std::find(sequential.begin(), sequential.end(),
                                    "not-listed m-closed no-permission") != sequential.end();
        return std::string(seen ? "seen " : "unseen ") +
               (Calls(dir.Path(), 3) == sequential ? "same" : "different");
    });
    fs::permissions(dir.Path() / "m-closed", fs::perms::owner_all);
    EXPECT_EQ(same, "seen same");
}
#endif

#ifndef _WIN32
TEST(ParallelSearch, WorksWithFewerThreadsThanAskedWhenTheSystemStartsNoMore) {
    const testing::TempDir dir;
    GrowTree(dir, 8, 150);
    fs::permissions(dir.Path(), fs::perms::all);
    const std::optional<std::string> same = testing::RunUnprivileged([&] {
        const Log sequential = Calls(dir.Path(), 1);
        // One process and no further thread for this user.
        const rlimit one{1, 1};
        if (setrlimit(RLIMIT_NPROC, &one) != 0) {
            return std::string("no limit");
        }
        return std::string(Calls(dir.Path(), 4) == sequential ? "same" : "different");
    });
    EXPECT_EQ(same, "same");
}
#endif

// Examines as a search does, but fails on the document "m-fails.doc", the way an examination
// that meets a fault of the program would.
class FailOnOneDocument final : public DocumentExaminer {
  public:
    Examination Examine(const FoundDocument& document, WorkerMemory& memory) const override {
        if (document.path.filename() == "m-fails.doc") {
            throw std::logic_error("examination failed");
        }
        return asFound_.Examine(document, memory);
    }

  private:
    ExamineAsFound asFound_{marking::MatchRule::Default};
};

TEST(ParallelSearch, EndsWithWhatWasFoundBeforeAnExaminationThatFailed) {
    const testing::TempDir dir;
    GrowTree(dir, 9, 300);
    dir.Write("m-fails.doc", Samples().marked);
    const Log whole = Calls(dir.Path(), 1);
    const auto failing = std::find_if(whole.begin(), whole.end(), [](const std::string& line) {
        return line.starts_with("row m-fails.doc ");
    });
    ASSERT_NE(failing, whole.end());
    ASSERT_GT(failing - whole.begin(), 20);
    ASSERT_GT(whole.end() - failing, 20);
    Log expected(whole.begin(), failing);
    expected.push_back("failed examination failed");
    for (const unsigned jobs : {1u, 2u, 4u}) {
        SCOPED_TRACE(jobs);
        const FailOnOneDocument failing;
        Log calls = Calls(dir.Path(), jobs, {}, &failing);
        EXPECT_FALSE(calls.empty());
        if (calls.empty()) {
            continue;
        }
        calls.pop_back();  // what SearchFolder returned
        EXPECT_EQ(calls, expected);
    }
}

// Examines as found, charging what each examiner allocates to `budget`.
class ExamineWithinBudget final : public DocumentExaminer {
  public:
    explicit ExamineWithinBudget(platform::MemoryBudget& budget) : budget_(budget) {}

    Examination Examine(const FoundDocument& document, WorkerMemory& memory) const override {
        memory.budget = &budget_;
        return asFound_.Examine(document, memory);
    }

  private:
    platform::MemoryBudget& budget_;
    ExamineAsFound asFound_{marking::MatchRule::Default};
};

// A Word document whose stream of `bytes` bytes ends in a marking: it needs that much memory.
std::vector<std::uint8_t> MarkedAtTheEnd(std::size_t bytes) {
    return testing::BuildWordDocument(
        testing::WordStream(bytes, {{bytes - 16, testing::Utf16Le(u"绝密")}}));
}

struct BudgetedDocument {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

TEST(ParallelSearch, GivesEveryDocumentTheVerdictItGetsAloneWhenExaminersShareATightBudget) {
    // Two of the large documents at once need more than the budget; each fits alone; one needs
    // more than the budget however it is examined.
    platform::MemoryBudget budget(4 << 20);
    const std::vector<std::uint8_t> large = MarkedAtTheEnd(5 << 19);
    std::vector<BudgetedDocument> documents = {
        {"a-larger-than-the-budget.doc", MarkedAtTheEnd(5 << 20)},
        {"b-small.doc", Samples().marked},
        {"c-small-unmarked.doc", Samples().plain},
    };
    for (int i = 0; i < 6; ++i) {
        documents.push_back({"d-large-" + std::to_string(i) + ".doc", large});
        documents.push_back({"e-small-" + std::to_string(i) + ".doc", Samples().marked});
    }
    const testing::TempDir dir;
    for (const BudgetedDocument& document : documents) {
        dir.Write(document.name, document.bytes);
    }
    const ExamineWithinBudget withinBudget(budget);
    const Log alone = Calls(dir.Path(), 1, {}, &withinBudget);
    EXPECT_EQ(budget.Held(), 0u);
    ASSERT_NE(std::find(alone.begin(), alone.end(),
                        "not-examined a-larger-than-the-budget.doc out-of-memory"),
              alone.end());
    ASSERT_EQ(std::count_if(alone.begin(), alone.end(),
                            [](const std::string& line) { return line.starts_with("row "); }),
              13);
    for (const unsigned jobs : {2u, 4u, 8u}) {
        SCOPED_TRACE(jobs);
        EXPECT_EQ(Calls(dir.Path(), jobs, {}, &withinBudget), alone);
        EXPECT_EQ(budget.Held(), 0u);
    }
}

// Throws from the sink once it holds a few rows, the way a sink that runs out of memory would.
class ThrowingSink final : public SearchSink {
  public:
    void AddResultRow(const ResultRow& /*row*/) override {
        if (++rows_ == 3) {
            throw std::runtime_error("sink failed");
        }
    }

  private:
    int rows_ = 0;
};

// Examines as found after a pause, with reads that waited for the disk when `readsWait`, and
// counts the most examinations under way at once.
class PausingExaminer final : public DocumentExaminer {
  public:
    explicit PausingExaminer(bool readsWait) : readsWait_(readsWait) {}

    Examination Examine(const FoundDocument& document, WorkerMemory& memory) const override {
        const unsigned now = ++underWay_;
        unsigned most = most_.load();
        while (now > most && !most_.compare_exchange_weak(most, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (readsWait_) {
            memory.diskReads.NoteReadWaited();
        }
        Examination examination = asFound_.Examine(document, memory);
        --underWay_;
        return examination;
    }

    unsigned MostUnderWay() const { return most_.load(); }

  private:
    bool readsWait_;
    ExamineAsFound asFound_{marking::MatchRule::Default};
    mutable std::atomic<unsigned> underWay_{0};
    mutable std::atomic<unsigned> most_{0};
};

struct InProgressCase {
    std::string name;
    bool readsWait;
    unsigned examinersWhileWaiting;
    unsigned moreThan;  // examinations under way at once, at some moment
    unsigned atMost;
};

TEST(ParallelSearch, KeepsMoreDocumentsInProgressOnlyOnceReadsWait) {
    const testing::TempDir dir;
    GrowTree(dir, 10, 300);
    const Log sequential = Calls(dir.Path(), 1);
    for (const InProgressCase& c : {InProgressCase{"from memory", false, 6, 0, 2},
                                    InProgressCase{"waiting, none to add", true, 0, 0, 2},
                                    InProgressCase{"waiting", true, 6, 2, 8}}) {
        SCOPED_TRACE(c.name);
        const PausingExaminer examiner(c.readsWait);
        CallLog log(dir.Path(), {});
        const SearchProgress progress = SearchFolder(
            dir.Path(), log,
            {.jobs = 2, .examiner = &examiner, .examinersWhileWaiting = c.examinersWhileWaiting});
        log.lines.push_back("returned " + std::to_string(progress.documentsExamined));
        EXPECT_EQ(log.lines, sequential);
        EXPECT_GT(examiner.MostUnderWay(), c.moreThan);
        EXPECT_LE(examiner.MostUnderWay(), c.atMost);
    }
}

TEST(ParallelSearch, LetsWhatTheSinkThrowsThroughAndLeavesNoWorkBehind) {
    const testing::TempDir dir;
    for (int i = 0; i < 300; ++i) {
        dir.Write("f" + std::to_string(i) + ".doc", Samples().marked);
    }
    for (const unsigned jobs : {1u, 2u, 4u}) {
        ThrowingSink sink;
        EXPECT_THROW(SearchFolder(dir.Path(), sink, {.jobs = jobs}), std::runtime_error);
    }
}

#ifndef _WIN32
// kalvor-scan itself: the lines it prints are the same for any number of jobs.
TEST(ParallelSearch, KalvorScanPrintsTheSameLinesForAnyNumberOfJobs) {
    const testing::TempDir dir;
    GrowTree(dir, 7, 300);
    const auto run = [&](unsigned jobs) {
        const std::string command = std::string("'") + KALVOR_SCAN_EXECUTABLE + "' --jobs " +
                                    std::to_string(jobs) + " --not-examined '" +
                                    dir.Path().native() + "' 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        std::string text;
        std::array<char, 4096> chunk;
        while (const std::size_t got = fread(chunk.data(), 1, chunk.size(), pipe)) {
            text.append(chunk.data(), got);
        }
        EXPECT_EQ(pclose(pipe), 0);
        return text;
    };
    const std::string sequential = run(1);
    EXPECT_NE(sequential.find("\t"), std::string::npos);
    EXPECT_EQ(run(2), sequential);
    EXPECT_EQ(run(16), sequential);
}
#endif

}  // namespace
}  // namespace kalvor::scan
