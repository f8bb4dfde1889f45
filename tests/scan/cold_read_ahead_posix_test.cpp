#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "scan/cold_read_ahead.h"
#include "scan/document_format.h"
#include "scan/folder_search.h"
#include "tests/support/search_sink_recorder.h"
#include "tests/support/temp_dir.h"

namespace kalvor::scan {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::size_t kPage = 4096;

// Whether the page cache holds the file's first page; nothing is read to tell.
bool FirstPageCached(const fs::path& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    void* mapped = fd >= 0 ? mmap(nullptr, kPage, PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
    unsigned char resident = 0;
    const bool cached =
        mapped != MAP_FAILED && mincore(mapped, kPage, &resident) == 0 && (resident & 1) != 0;
    if (mapped != MAP_FAILED) {
        munmap(mapped, kPage);
    }
    close(fd);
    return cached;
}

// A document of a few pages, out of the page cache; an empty path when the system keeps it there
// (a file system in memory).
fs::path DocumentOnDisk(const testing::TempDir& dir, const std::string& name) {
    const fs::path path = dir.Write(name, std::vector<std::uint8_t>(4 * kPage, 0x5B));
    const int fd = open(path.c_str(), O_RDONLY);
    const bool dropped =
        fd >= 0 && fsync(fd) == 0 && posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    close(fd);
    return dropped && !FirstPageCached(path) ? path : fs::path();
}

// What one search tells its read-ahead, and which of its documents are then asked for.
struct ReadAheadCase {
    std::string name;
    std::size_t queued;                 // steps, each a document unless among `withoutName`
    std::set<std::size_t> withoutName;  // steps that name nothing to read ahead
    std::uint64_t claimedBefore;        // every step before this one is claimed
    std::uint64_t coldAt;               // the step whose read waited for the disk
    std::set<std::size_t> askedFor;     // the documents brought into memory
};

void PrintTo(const ReadAheadCase& param, std::ostream* out) {
    *out << param.name;
}

std::set<std::size_t> Range(std::size_t from, std::size_t to) {
    std::set<std::size_t> steps;
    for (std::size_t step = from; step < to; ++step) {
        steps.insert(step);
    }
    return steps;
}

class ReadingAhead : public ::testing::TestWithParam<ReadAheadCase> {};

// Beside it, another search on a warm cache queues documents of its own: what the cold one learns
// never makes the other ask for anything.
TEST_P(ReadingAhead, AsksForTheDocumentsNextInLineOfItsOwnSearchOnly) {
    const ReadAheadCase& c = GetParam();
    const testing::TempDir dir;
    std::vector<fs::path> documents(c.queued);
    std::vector<fs::path> others(8);
    for (std::size_t i = 0; i < documents.size() + others.size(); ++i) {
        fs::path& path = i < documents.size() ? documents[i] : others[i - documents.size()];
        path = DocumentOnDisk(dir, std::to_string(i) + ".doc");
        if (path.empty()) {
            GTEST_SKIP() << "the page cache keeps this file system's files";
        }
    }
    ColdReadAhead cold(64);
    ColdReadAhead warm(64);
    for (const fs::path& other : others) {
        warm.Queued(&other);
    }
    for (std::size_t i = 0; i < documents.size(); ++i) {
        cold.Queued(c.withoutName.contains(i) ? nullptr : &documents[i]);
    }
    cold.ClaimedBefore(c.claimedBefore);
    cold.NoteCold(c.coldAt);

    // The system reads what it was asked for in the background: wait for it, then for the asking.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    const auto allAskedIn = [&] {
        for (const std::size_t i : c.askedFor) {
            if (!FirstPageCached(documents[i])) {
                return false;
            }
        }
        return true;
    };
    while (!allAskedIn() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    cold.Stop();
    warm.Stop();

    std::set<std::size_t> cached;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        if (FirstPageCached(documents[i])) {
            cached.insert(i);
        }
    }
    EXPECT_EQ(cached, c.askedFor);
    for (const fs::path& other : others) {
        EXPECT_FALSE(FirstPageCached(other)) << other;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ReadingAhead,
    ::testing::Values(ReadAheadCase{"TheNextWithinReach", 40, {}, 0, 0, Range(0, 32)},
                      ReadAheadCase{"NotWhatExaminersClaimed", 30, {}, 10, 10, Range(10, 30)},
                      ReadAheadCase{"NotWhatNamesNothing", 6, {1, 4}, 0, 0, {0, 2, 3, 5}}),
    [](const ::testing::TestParamInfo<ReadAheadCase>& info) { return info.param.name; });

// Reads nothing: tells that each read had to wait, on a file system that answers reads asked not
// to wait (a disk) or one that does not (a share), taking the time a read would take.
class WaitingExaminer final : public DocumentExaminer {
  public:
    explicit WaitingExaminer(bool asksWithoutWaiting) : asksWithoutWaiting_(asksWithoutWaiting) {}

    Examination Examine(const FoundDocument& /*document*/, WorkerMemory& memory) const override {
        if (!asksWithoutWaiting_) {
            memory.diskReads.NoteCannotAskWithoutWaiting();
        }
        memory.diskReads.NoteReadWaited();
        std::this_thread::sleep_for(2ms);
        return {.verdict = MarkingVerdict::NotMarked};
    }

  private:
    bool asksWithoutWaiting_;
};

// Reads are asked ahead by opening each document a second time: that pays on a disk, but on a
// share every open, flush and close is a round trip more than the read it would spare.
TEST(ReadingAhead, AsksForDocumentsAheadOnlyWhereReadsCanBeAskedNotToWait) {
    struct Case {
        const char* name;
        bool asksWithoutWaiting;
        bool readsAhead;
    };
    for (const Case& c : {Case{"a disk", true, true}, Case{"a share", false, false}}) {
        SCOPED_TRACE(c.name);
        const testing::TempDir dir;
        std::vector<fs::path> documents(40);
        for (std::size_t i = 0; i < documents.size(); ++i) {
            documents[i] = DocumentOnDisk(dir, std::to_string(i) + ".doc");
            if (documents[i].empty()) {
                GTEST_SKIP() << "the page cache keeps this file system's files";
            }
        }
        const WaitingExaminer examiner(c.asksWithoutWaiting);
        SearchSinkRecorder recorder;
        SearchFolder(dir.Path(), recorder,
                     {.jobs = 2, .examiner = &examiner, .examinersWhileWaiting = 0});

        // What was asked for comes in the background: wait for some of it where it was.
        const auto anyCached = [&] {
            for (const fs::path& document : documents) {
                if (FirstPageCached(document)) {
                    return true;
                }
            }
            return false;
        };
        const auto deadline = std::chrono::steady_clock::now() + (c.readsAhead ? 10s : 200ms);
        while (!anyCached() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        EXPECT_EQ(anyCached(), c.readsAhead);
    }
}

}  // namespace
}  // namespace kalvor::scan
