#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/disk_read_signs.h"
#include "platform/exclusive_file.h"
#include "platform/read_ahead.h"
#include "tests/support/temp_dir.h"

namespace kalvor::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using namespace std::chrono_literals;

constexpr std::uint64_t kAsked = 256 * 1024;
constexpr std::size_t kPage = 4096;
constexpr std::size_t kFilePages = 64;

std::vector<std::uint8_t> RandomBytes(std::size_t size) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> bytes(size);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

// Leaves only the file's first `pages` pages in the page cache; false when the system keeps the
// rest (a file system in memory), so a case that needs a file on disk cannot be run.
bool KeepFirstPages(const fs::path& path, std::size_t pages) {
    const int fd = open(path.c_str(), O_RDONLY);
    const auto size = static_cast<std::size_t>(fs::file_size(path));
    std::vector<std::uint8_t> kept(pages * kPage);
    // Without read-ahead, reading the first pages back brings in nothing after them.
    bool left = fd >= 0 && fsync(fd) == 0 && posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0 &&
                posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM) == 0 &&
                pread(fd, kept.data(), kept.size(), 0) == static_cast<ssize_t>(kept.size());
    void* mapped = left ? mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (mapped != MAP_FAILED) {
        std::vector<unsigned char> resident((size + kPage - 1) / kPage);
        left = mincore(mapped, size, resident.data()) == 0 && (resident[pages] & 1) == 0;
        munmap(mapped, size);
    }
    close(fd);
    return left && mapped != MAP_FAILED;
}

struct AheadCase {
    std::string name;
    std::function<fs::path(const TempDir&)> make;  // empty path: the case cannot run here
    ReadAhead expected;
};

void PrintTo(const AheadCase& param, std::ostream* out) {
    *out << param.name;
}

fs::path DocumentOnDisk(const TempDir& dir) {
    const fs::path path = dir.Write("a.doc", RandomBytes(2 * kAsked));
    return KeepFirstPages(path, 0) ? path : fs::path();
}

fs::path MakeFifo(const TempDir& dir) {
    EXPECT_EQ(mkfifo((dir.Path() / "a.doc").c_str(), 0600), 0);
    return dir.Path() / "a.doc";
}

class RequestingReadAhead : public ::testing::TestWithParam<AheadCase> {};

// The time the name was last read, set two days back first, so that any read would renew it
// (a relatime mount renews what is older than a day).
std::optional<std::int64_t> AccessTimeSetBack(const fs::path& path) {
    const timespec times[2] = {{.tv_sec = time(nullptr) - 2 * 24 * 3600, .tv_nsec = 0},
                               {.tv_sec = 0, .tv_nsec = UTIME_OMIT}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 ? std::optional(status.st_atim.tv_sec) : std::nullopt;
}

std::optional<std::int64_t> AccessTime(const fs::path& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 ? std::optional(status.st_atim.tv_sec) : std::nullopt;
}

TEST_P(RequestingReadAhead, AsksOnlyForARegularFileNotInMemoryNeverReadingNorWaiting) {
    const TempDir dir;
    const fs::path path = GetParam().make(dir);
    if (path.empty()) {
        GTEST_SKIP() << "the page cache keeps this file system's files";
    }
    const std::optional<std::int64_t> accessed = AccessTimeSetBack(path);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RequestReadAhead(path, kAsked), GetParam().expected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    // A document the examiner then refuses (read-only, held by another program) was not read.
    EXPECT_EQ(AccessTime(path), accessed);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RequestingReadAhead,
    ::testing::Values(AheadCase{"InMemory",
                                [](const TempDir& d) {
                                    return d.Write("a.doc", RandomBytes(kAsked));
                                },
                                ReadAhead::AlreadyCached},
                      AheadCase{"OnDisk", DocumentOnDisk, ReadAhead::Requested},
                      AheadCase{"Empty", [](const TempDir& d) { return d.WriteText("a.doc", ""); },
                                ReadAhead::AlreadyCached},
                      AheadCase{"Fifo", MakeFifo, ReadAhead::NotDone},
                      AheadCase{"LinkToDocument",
                                [](const TempDir& d) {
                                    fs::create_symlink(d.WriteText("target.doc", "document"),
                                                       d.Path() / "a.doc");
                                    return d.Path() / "a.doc";
                                },
                                ReadAhead::NotDone},
                      AheadCase{"Folder", [](const TempDir& d) { return d.MakeDir("a.doc"); },
                                ReadAhead::NotDone},
                      AheadCase{"Missing", [](const TempDir& d) { return d.Path() / "a.doc"; },
                                ReadAhead::NotDone}),
    [](const ::testing::TestParamInfo<AheadCase>& info) { return info.param.name; });

struct ColdReadCase {
    std::string name;
    std::size_t pagesInMemory;  // of the file's first pages; all when more than it has
    // Another examiner has just read from a file system that cannot be asked without waiting.
    bool otherReadWithoutAsking = false;
};

void PrintTo(const ColdReadCase& param, std::ostream* out) {
    *out << param.name;
}

// Reads a file of the shared-memory file system through `signs`; false when there is none, or
// the system answers reads there without waiting all the same.
bool ReadWithoutAsking(DiskReadSigns& signs) {
    char name[] = "/dev/shm/kalvor-read-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) {
        return false;
    }
    const std::vector<std::uint8_t> bytes = RandomBytes(kPage);
    const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(kPage);
    close(fd);
    std::vector<std::uint8_t> read(kPage);
    const bool readThere = written && [&] {
        const OpenedFile opened = ExclusiveFile::Open(name, ListedAs::Unknown, &signs);
        return opened.file != nullptr && opened.file->ReadAt(0, read) == read.size();
    }();
    unlink(name);
    return readThere && !signs.AskWithoutWaiting();
}

// A read the page cache cannot answer at once must still give every byte, and be told to the
// examiner that reads, whatever other examiners met.
class ReadingFromDisk : public ::testing::TestWithParam<ColdReadCase> {};

TEST_P(ReadingFromDisk, GivesEveryByteAndCountsTheWait) {
    const TempDir dir;
    DiskReadSigns other;
    if (GetParam().otherReadWithoutAsking && !ReadWithoutAsking(other)) {
        GTEST_SKIP() << "no file system here that cannot be asked without waiting";
    }
    const std::vector<std::uint8_t> bytes = RandomBytes(kFilePages * kPage - 100);
    const fs::path path = dir.Write("a.doc", bytes);
    const bool onDisk = GetParam().pagesInMemory < kFilePages;
    if (onDisk && !KeepFirstPages(path, GetParam().pagesInMemory)) {
        GTEST_SKIP() << "the page cache keeps this file system's files";
    }
    // Now and then the kernel reads from a fast disk within the very call asked not to wait,
    // most often while other tests read and write: the pages are then put out and read again a
    // little later, a few times.
    bool waited = false;
    for (int attempt = 0; attempt < (onDisk ? 5 : 1) && waited != onDisk; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(50ms);
            ASSERT_TRUE(KeepFirstPages(path, GetParam().pagesInMemory));
        }
        DiskReadSigns signs;
        const OpenedFile opened = ExclusiveFile::Open(path, ListedAs::Unknown, &signs);
        ASSERT_EQ(opened.outcome, OpenOutcome::Opened);
        std::vector<std::uint8_t> read(bytes.size() + 10);
        EXPECT_EQ(opened.file->ReadAt(0, read), bytes.size());
        read.resize(bytes.size());
        EXPECT_EQ(read, bytes);
        waited = signs.TakeReadWaited();
    }
    EXPECT_EQ(waited, onDisk);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ReadingFromDisk,
    ::testing::Values(ColdReadCase{"AllInMemory", kFilePages}, ColdReadCase{"NoneInMemory", 0},
                      ColdReadCase{"SecondHalfOnDisk", kFilePages / 2},
                      ColdReadCase{"SecondHalfOnDiskAfterAnotherMetMemory", kFilePages / 2, true}),
    [](const ::testing::TestParamInfo<ColdReadCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kalvor::platform
