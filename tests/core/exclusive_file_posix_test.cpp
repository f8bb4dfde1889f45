#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>

#include "platform/exclusive_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace kalvor::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using namespace std::chrono_literals;

constexpr std::string_view kContent = "stand-in for a compound file";

fs::path MakeDocument(const TempDir& dir,
                      fs::perms perms = fs::perms::owner_read | fs::perms::owner_write) {
    const fs::path path = dir.WriteText("a.doc", kContent);
    fs::permissions(path, perms);
    return path;
}

std::function<fs::path(const TempDir&)> Document(fs::perms perms) {
    return [=](const TempDir& d) { return MakeDocument(d, perms); };
}

fs::path MakeLink(const TempDir& dir, const fs::path& target, const std::string& name) {
    fs::create_symlink(target, dir.Path() / name);
    return dir.Path() / name;
}

fs::path MakeSocket(const TempDir& dir) {
    const fs::path path = dir.Path() / "socket.doc";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    close(fd);
    return path;
}

struct OpenCase {
    std::string name;
    std::function<fs::path(const TempDir&)> make;
    OpenOutcome expected;
};

void PrintTo(const OpenCase& param, std::ostream* out) {
    *out << param.name;
}

// Every case is also opened as a name listed as a plain file a moment ago, which stands for a
// name that has since become something else: the outcome must not depend on the listing.
class Opening : public ::testing::TestWithParam<std::tuple<OpenCase, ListedAs>> {};

TEST_P(Opening, GivesItsOutcomeAtOnce) {
    const auto& [openCase, listed] = GetParam();
    const TempDir dir;
    const fs::path path = openCase.make(dir);
    OpenOutcome outcome = OpenOutcome::Unreadable;
    const auto start = std::chrono::steady_clock::now();
    const auto file = ExclusiveFile::Open(path, outcome, listed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(outcome, openCase.expected);
    EXPECT_EQ(file != nullptr, openCase.expected == OpenOutcome::Opened);
    if (file != nullptr) {
        EXPECT_EQ(file->Size(), kContent.size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    ExclusiveFile, Opening,
    ::testing::Combine(::testing::Values(
        OpenCase{"RegularFile", Document(fs::perms::owner_read | fs::perms::owner_write),
                 OpenOutcome::Opened},
        OpenCase{"LinkToARegularFile",
                 [](const TempDir& d) { return MakeLink(d, MakeDocument(d), "link.doc"); },
                 OpenOutcome::Opened},
        // Only a file without any write bit is read-only to the superuser.
        OpenCase{"WritableByGroupOnly", Document(fs::perms::group_write), OpenOutcome::Opened},
        OpenCase{"ReadOnlyForEveryone",
                 Document(fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read),
                 OpenOutcome::ReadOnly},
        OpenCase{"NoPermissionsAtAll", Document(fs::perms::none), OpenOutcome::ReadOnly},
        OpenCase{"Fifo",
                 [](const TempDir& d) {
                     const fs::path path = d.Path() / "fifo.doc";
                     EXPECT_EQ(mkfifo(path.c_str(), 0666), 0);
                     return path;
                 },
                 OpenOutcome::NotRegularFile},
        OpenCase{"Socket", MakeSocket, OpenOutcome::NotRegularFile},
        OpenCase{"Directory", [](const TempDir& d) { return d.MakeDir("folder.doc"); },
                 OpenOutcome::NotRegularFile},
        OpenCase{"CharacterDevice", [](const TempDir&) { return fs::path("/dev/null"); },
                 OpenOutcome::NotRegularFile},
        OpenCase{"Missing", [](const TempDir& d) { return d.Path() / "missing.doc"; },
                 OpenOutcome::Missing},
        OpenCase{"FileUsedAsAFolder",
                 [](const TempDir& d) { return MakeDocument(d) / "inner.doc"; },
                 OpenOutcome::Missing},
        OpenCase{"DanglingLink",
                 [](const TempDir& d) { return MakeLink(d, d.Path() / "nowhere", "dangling.doc"); },
                 OpenOutcome::Missing},
        OpenCase{"LinkLoop",
                 [](const TempDir& d) {
                     MakeLink(d, d.Path() / "b.doc", "a.doc");
                     return MakeLink(d, d.Path() / "a.doc", "b.doc");
                 },
                 OpenOutcome::Missing},
        OpenCase{"NameTooLong",
                 [](const TempDir& d) { return d.Path() / (std::string(300, 'n') + ".doc"); },
                 OpenOutcome::Missing}),
                       ::testing::Values(ListedAs::Unknown, ListedAs::PlainFile)),
    [](const auto& info) {
        return std::get<0>(info.param).name +
               (std::get<1>(info.param) == ListedAs::PlainFile ? "_ListedAsPlainFile" : "");
    });

TEST(ExclusiveFile, RefusesAFileTheUserMayNotWrite) {
    const TempDir dir;
    fs::permissions(dir.Path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    const fs::path path =
        MakeDocument(dir, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    // The outcomes of opening it unlisted and listed as a plain file.
    const auto openAsNobody = [&] {
        std::string outcomes;
        for (const ListedAs listed : {ListedAs::Unknown, ListedAs::PlainFile}) {
            OpenOutcome outcome = OpenOutcome::Opened;
            ExclusiveFile::Open(path, outcome, listed);
            outcomes += std::to_string(static_cast<int>(outcome)) + " ";
        }
        return outcomes;
    };
    const auto twice = [](OpenOutcome outcome) {
        return std::to_string(static_cast<int>(outcome)) + " " +
               std::to_string(static_cast<int>(outcome)) + " ";
    };
    EXPECT_EQ(testing::RunUnprivileged(openAsNobody), twice(OpenOutcome::ReadOnly));
    fs::permissions(path, fs::perms::others_write, fs::perm_options::add);
    EXPECT_EQ(testing::RunUnprivileged(openAsNobody), twice(OpenOutcome::Opened));
}

enum class LockKind { RecordWrite, RecordRead, WholeFileExclusive, WholeFileShared };

bool TakeLock(int fd, LockKind kind) {
    if (kind == LockKind::WholeFileExclusive || kind == LockKind::WholeFileShared) {
        return flock(fd, (kind == LockKind::WholeFileShared ? LOCK_SH : LOCK_EX) | LOCK_NB) == 0;
    }
    struct flock region {};
    region.l_type = kind == LockKind::RecordRead ? F_RDLCK : F_WRLCK;
    region.l_whence = SEEK_SET;
    return fcntl(fd, F_SETLK, &region) == 0;
}

// Another process that tries to lock the file and, when it could, holds the lock until the
// object goes.
class LockingProcess {
  public:
    LockingProcess(const fs::path& path, LockKind kind) {
        int ready[2];
        int release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) {
            ADD_FAILURE() << "no pipe";
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(release[1]);
            const int fd = open(path.c_str(), O_RDWR);
            const char status = fd >= 0 && TakeLock(fd, kind) ? 'L' : 'F';
            char byte = 0;
            if (write(ready[1], &status, 1) == 1 && read(release[0], &byte, 1) >= 0) {
                _exit(0);
            }
            _exit(1);
        }
        close(ready[1]);
        close(release[0]);
        release_ = release[1];
        char status = 0;
        holdsLock_ = read(ready[0], &status, 1) == 1 && status == 'L';
        close(ready[0]);
    }

    ~LockingProcess() {
        close(release_);
        int status = 0;
        waitpid(pid_, &status, 0);
    }

    LockingProcess(const LockingProcess&) = delete;
    LockingProcess& operator=(const LockingProcess&) = delete;

    bool HoldsLock() const { return holdsLock_; }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holdsLock_ = false;
};

void PrintTo(LockKind kind, std::ostream* out) {
    constexpr const char* kNames[] = {"RecordWrite", "RecordRead", "WholeFileExclusive",
                                      "WholeFileShared"};
    *out << kNames[static_cast<int>(kind)];
}

class Locking : public ::testing::TestWithParam<LockKind> {};

TEST_P(Locking, RefusesAFileAnotherProcessHoldsLocked) {
    const TempDir dir;
    const fs::path path = MakeDocument(dir);
    OpenOutcome outcome = OpenOutcome::Opened;
    {
        const LockingProcess other(path, GetParam());
        ASSERT_TRUE(other.HoldsLock());
        EXPECT_EQ(ExclusiveFile::Open(path, outcome), nullptr);
        EXPECT_EQ(outcome, OpenOutcome::Locked);
    }
    EXPECT_NE(ExclusiveFile::Open(path, outcome), nullptr);
    EXPECT_EQ(outcome, OpenOutcome::Opened);
}

TEST_P(Locking, KeepsOthersOutWhileOpen) {
    const TempDir dir;
    const fs::path path = MakeDocument(dir);
    OpenOutcome outcome = OpenOutcome::Unreadable;
    auto file = ExclusiveFile::Open(path, outcome);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(LockingProcess(path, GetParam()).HoldsLock());
    EXPECT_EQ(ExclusiveFile::Open(path, outcome), nullptr);
    EXPECT_EQ(outcome, OpenOutcome::Locked);
    file.reset();
    EXPECT_TRUE(LockingProcess(path, GetParam()).HoldsLock());
    EXPECT_NE(ExclusiveFile::Open(path, outcome), nullptr);
}

INSTANTIATE_TEST_SUITE_P(ExclusiveFile, Locking,
                         ::testing::Values(LockKind::RecordWrite, LockKind::RecordRead,
                                           LockKind::WholeFileExclusive, LockKind::WholeFileShared),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

struct ReadCase {
    std::uint64_t offset;
    std::size_t asked;
    std::string_view expected;
};

void PrintTo(const ReadCase& param, std::ostream* out) {
    *out << param.asked << " bytes at " << param.offset;
}

class ReadingAt : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadingAt, ReadsWhatTheFileHolds) {
    const TempDir dir;
    const fs::path path = MakeDocument(dir);
    const auto before = fs::last_write_time(path);
    OpenOutcome outcome = OpenOutcome::Unreadable;
    {
        auto file = ExclusiveFile::Open(path, outcome);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->Size(), kContent.size());
        std::string buffer(GetParam().asked, '\0');
        const std::size_t got =
            file->ReadAt(GetParam().offset,
                         std::span(reinterpret_cast<std::uint8_t*>(buffer.data()), buffer.size()));
        EXPECT_EQ(buffer.substr(0, got), GetParam().expected);
    }
    EXPECT_EQ(fs::last_write_time(path), before);
}

INSTANTIATE_TEST_SUITE_P(ExclusiveFile, ReadingAt,
                         ::testing::Values(ReadCase{0, kContent.size(), kContent},
                                           ReadCase{9, 3, kContent.substr(9, 3)},
                                           ReadCase{20, 100, kContent.substr(20)},
                                           ReadCase{kContent.size(), 4, ""},
                                           ReadCase{1ull << 62, 4, ""}));

}  // namespace
}  // namespace kalvor::platform
