#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "platform/directory_listing.h"
#include "platform/exclusive_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_mount.h"
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
    const auto start = std::chrono::steady_clock::now();
    const auto [file, outcome] = ExclusiveFile::Open(path, listed);
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
                 OpenOutcome::DanglingLink},
        OpenCase{"LinkLoop",
                 [](const TempDir& d) {
                     MakeLink(d, d.Path() / "b.doc", "a.doc");
                     return MakeLink(d, d.Path() / "a.doc", "b.doc");
                 },
                 OpenOutcome::DanglingLink},
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
            const OpenOutcome outcome = ExclusiveFile::Open(path, listed).outcome;
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
    // May write but not read: it could not be read, which is not being read-only.
    fs::permissions(path, fs::perms::others_read, fs::perm_options::remove);
    EXPECT_EQ(testing::RunUnprivileged(openAsNobody), twice(OpenOutcome::Unreadable));
}

enum class LockKind {
    RecordWrite,
    RecordRead,
    WholeFileExclusive,
    WholeFileShared,
    WriteLease,  // the holder has the file open for writing and alone
    ReadLease,   // a file server's promise that nobody writes; readers leave it intact
};

bool TakeLock(int fd, LockKind kind) {
    if (kind == LockKind::WriteLease || kind == LockKind::ReadLease) {
        return fcntl(fd, F_SETLEASE, kind == LockKind::ReadLease ? F_RDLCK : F_WRLCK) == 0;
    }
    if (kind == LockKind::WholeFileExclusive || kind == LockKind::WholeFileShared) {
        return flock(fd, (kind == LockKind::WholeFileShared ? LOCK_SH : LOCK_EX) | LOCK_NB) == 0;
    }
    struct flock region {};
    region.l_type = kind == LockKind::RecordRead ? F_RDLCK : F_WRLCK;
    region.l_whence = SEEK_SET;
    return fcntl(fd, F_SETLK, &region) == 0;
}

volatile sig_atomic_t leaseBroken = 0;

// Another process that tries to lock the file and, when it could, holds the lock until the
// object goes. It ends well only when nobody made it give up a lease.
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
            signal(SIGIO, [](int) { leaseBroken = 1; });
            const int fd = open(path.c_str(), kind == LockKind::ReadLease ? O_RDONLY : O_RDWR);
            const char status = fd >= 0 && TakeLock(fd, kind) ? 'L' : 'F';
            char byte = 0;
            if (write(ready[1], &status, 1) == 1 && read(release[0], &byte, 1) >= 0) {
                _exit(leaseBroken);
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

    ~LockingProcess() { EndedWell(); }

    // Releases the lock and tells whether the process was left undisturbed.
    bool EndedWell() {
        if (pid_ < 0) {
            return false;
        }
        close(release_);
        int status = 0;
        waitpid(std::exchange(pid_, -1), &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
    constexpr const char* kNames[] = {"RecordWrite",     "RecordRead", "WholeFileExclusive",
                                      "WholeFileShared", "WriteLease", "ReadLease"};
    *out << kNames[static_cast<int>(kind)];
}

class Locking : public ::testing::TestWithParam<LockKind> {};

TEST_P(Locking, RefusesAFileAnotherProcessHoldsLocked) {
    const TempDir dir;
    const fs::path path = MakeDocument(dir);
    OpenedFile opened;
    {
        const LockingProcess other(path, GetParam());
        ASSERT_TRUE(other.HoldsLock());
        opened = ExclusiveFile::Open(path);
        EXPECT_EQ(opened.file, nullptr);
        EXPECT_EQ(opened.outcome, OpenOutcome::Locked);
    }
    opened = ExclusiveFile::Open(path);
    EXPECT_NE(opened.file, nullptr);
    EXPECT_EQ(opened.outcome, OpenOutcome::Opened);
}

INSTANTIATE_TEST_SUITE_P(ExclusiveFile, Locking,
                         ::testing::Values(LockKind::RecordWrite, LockKind::RecordRead,
                                           LockKind::WholeFileExclusive, LockKind::WholeFileShared,
                                           LockKind::WriteLease),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

// While a document is read, others may read it too, but nobody who locks before writing gets in.
class LockingWhileOpen : public ::testing::TestWithParam<std::tuple<LockKind, bool>> {};

TEST_P(LockingWhileOpen, KeepsWritersOut) {
    const auto [kind, othersGetIn] = GetParam();
    const TempDir dir;
    const fs::path path = MakeDocument(dir);
    auto file = ExclusiveFile::Open(path).file;
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(LockingProcess(path, kind).HoldsLock(), othersGetIn);
    file.reset();
    EXPECT_TRUE(LockingProcess(path, kind).HoldsLock());
}

INSTANTIATE_TEST_SUITE_P(ExclusiveFile, LockingWhileOpen,
                         ::testing::Values(std::tuple(LockKind::RecordWrite, false),
                                           std::tuple(LockKind::RecordRead, true),
                                           std::tuple(LockKind::WholeFileExclusive, false),
                                           std::tuple(LockKind::WholeFileShared, false),
                                           std::tuple(LockKind::ReadLease, true)),
                         [](const auto& info) {
                             return ::testing::PrintToString(std::get<0>(info.param));
                         });

// Sync and backup tools watch for files closed after writing, and a file server holds read
// leases that any writer breaks: reading a document must look like reading to both.
TEST(ExclusiveFile, LeavesNoTraceOfAWriter) {
    const TempDir dir;
    const fs::path path = MakeDocument(dir);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, path.c_str(), IN_ALL_EVENTS), 0);
    LockingProcess server(path, LockKind::ReadLease);
    ASSERT_TRUE(server.HoldsLock());
    auto file = ExclusiveFile::Open(path).file;
    ASSERT_NE(file, nullptr);
    std::uint8_t byte = 0;
    EXPECT_EQ(file->ReadAt(0, std::span(&byte, 1)), 1u);
    file.reset();
    EXPECT_TRUE(server.EndedWell());
    std::uint32_t seen = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t got = 0; (got = read(watch, events, sizeof(events))) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            seen |= event->mask;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    close(watch);
    EXPECT_NE(seen & IN_CLOSE_NOWRITE, 0u);
    EXPECT_EQ(seen & (IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB), 0u);
}

// A document another process holds: passed over by default; with documents in use included,
// read without a lock of ours, unless the holder's write lease forbids opening it at all.
struct HeldCase {
    LockKind kind;
    OpenOutcome included;  // the outcome with documents in use included
};

void PrintTo(const HeldCase& param, std::ostream* out) {
    PrintTo(param.kind, out);
}

class HeldByAnother : public ::testing::TestWithParam<HeldCase> {};

TEST_P(HeldByAnother, IsReadOnlyWhenIncludedAndNeverDisturbsItsHolder) {
    const TempDir dir;
    const fs::path path = MakeDocument(dir);
    for (const ListedAs listed : {ListedAs::Unknown, ListedAs::PlainFile}) {
        {
            const LockingProcess other(path, GetParam().kind);
            ASSERT_TRUE(other.HoldsLock());
            EXPECT_EQ(ExclusiveFile::Open(path, listed).outcome, OpenOutcome::Locked);
        }
        LockingProcess other(path, GetParam().kind);
        ASSERT_TRUE(other.HoldsLock());
        OpenedFile opened = ExclusiveFile::Open(path, listed, nullptr, {.inUse = true});
        EXPECT_EQ(opened.outcome, GetParam().included);
        if (opened.file != nullptr) {
            EXPECT_EQ(opened.file->Access(), FileAccess::InUse);
            std::string buffer(kContent.size(), '\0');
            EXPECT_EQ(
                opened.file->ReadAt(
                    0, std::span(reinterpret_cast<std::uint8_t*>(buffer.data()), buffer.size())),
                kContent.size());
            EXPECT_EQ(buffer, kContent);
        }
        opened.file.reset();
        EXPECT_TRUE(other.EndedWell());
    }
}

INSTANTIATE_TEST_SUITE_P(ExclusiveFile, HeldByAnother,
                         ::testing::Values(HeldCase{LockKind::RecordWrite, OpenOutcome::Opened},
                                           HeldCase{LockKind::WholeFileExclusive,
                                                    OpenOutcome::Opened},
                                           HeldCase{LockKind::WriteLease, OpenOutcome::Locked}),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

// A document read with documents in use included holds nothing that keeps its owner from locking
// it to write.
class LockingBesideUs : public ::testing::TestWithParam<LockKind> {};

TEST_P(LockingBesideUs, LetsEveryLockIn) {
    const TempDir dir;
    const fs::path path = MakeDocument(dir);
    for (const ListedAs listed : {ListedAs::Unknown, ListedAs::PlainFile}) {
        const auto file = ExclusiveFile::Open(path, listed, nullptr, {.inUse = true}).file;
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->Access(), FileAccess::Ordinary);
        EXPECT_TRUE(LockingProcess(path, GetParam()).HoldsLock());
    }
}

INSTANTIATE_TEST_SUITE_P(ExclusiveFile, LockingBesideUs,
                         ::testing::Values(LockKind::RecordWrite, LockKind::WholeFileExclusive,
                                           LockKind::WholeFileShared),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

// A document that is read-only to an ordinary user, for a reason root is not exempt from (a
// mount, an immutable file) or is (the permissions). `make` gives the path, or nothing where the
// system here cannot make such a file.
struct ReadOnlyCase {
    std::string name;
    std::function<std::optional<fs::path>(const TempDir&, std::optional<testing::TestMount>&)> make;
};

void PrintTo(const ReadOnlyCase& param, std::ostream* out) {
    *out << param.name;
}

bool SetImmutable(const fs::path& path, bool immutable) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    bool set = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    set = set && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return set;
}

class ReadOnlyToUs : public ::testing::TestWithParam<ReadOnlyCase> {};

TEST_P(ReadOnlyToUs, IsReadWhenIncludedAndOtherwiseRefused) {
    const TempDir dir;
    fs::permissions(dir.Path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    std::optional<testing::TestMount> mount;
    const std::optional<fs::path> path = GetParam().make(dir, mount);
    if (!path.has_value()) {
        GTEST_SKIP() << "the system here cannot make such a file";
    }
    const auto openAsNobody = [&] {
        std::string seen;
        for (const IncludedAccess include : {IncludedAccess{}, IncludedAccess{.readOnly = true}}) {
            for (const ListedAs listed : {ListedAs::Unknown, ListedAs::PlainFile}) {
                const OpenedFile opened = ExclusiveFile::Open(*path, listed, nullptr, include);
                std::string buffer(kContent.size(), '\0');
                const bool read =
                    opened.file != nullptr &&
                    opened.file->ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(buffer.data()),
                                                     buffer.size())) == kContent.size() &&
                    buffer == kContent;
                seen += std::to_string(static_cast<int>(opened.outcome)) + "/" +
                        (opened.file != nullptr
                             ? std::to_string(static_cast<int>(opened.file->Access()))
                             : "-") +
                        "/" + (read ? "read" : "unread") + " ";
            }
        }
        return seen;
    };
    const std::string refused =
        std::to_string(static_cast<int>(OpenOutcome::ReadOnly)) + "/-/unread ";
    const std::string included = std::to_string(static_cast<int>(OpenOutcome::Opened)) + "/" +
                                 std::to_string(static_cast<int>(FileAccess::ReadOnly)) + "/read ";
    EXPECT_EQ(testing::RunUnprivileged(openAsNobody), refused + refused + included + included);
    if (GetParam().name == "ImmutableFlag") {
        SetImmutable(*path, false);
    }
}

constexpr fs::perms kEveryoneReads =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

INSTANTIATE_TEST_SUITE_P(
    ExclusiveFile, ReadOnlyToUs,
    ::testing::Values(ReadOnlyCase{"Permissions",
                                   [](const TempDir& d, std::optional<testing::TestMount>&) {
                                       return std::optional(MakeDocument(
                                           d, kEveryoneReads | fs::perms::owner_write));
                                   }},
                      ReadOnlyCase{"ReadOnlyMount",
                                   [](const TempDir& d, std::optional<testing::TestMount>& mount) {
                                       const fs::path source = d.MakeDir("source");
                                       const fs::path path = source / "a.doc";
                                       fs::rename(MakeDocument(
                                                      d, kEveryoneReads | fs::perms::others_write),
                                                  path);
                                       const fs::path seen = d.MakeDir("seen");
                                       mount.emplace(testing::TestMount::Bind(source, seen, true));
                                       return mount->Mounted() ? std::optional(seen / "a.doc")
                                                               : std::nullopt;
                                   }},
                      ReadOnlyCase{"ImmutableFlag",
                                   [](const TempDir& d, std::optional<testing::TestMount>&) {
                                       const fs::path path = MakeDocument(
                                           d, kEveryoneReads | fs::perms::others_write);
                                       return SetImmutable(path, true) ? std::optional(path)
                                                                       : std::nullopt;
                                   }}),
    [](const auto& info) { return info.param.name; });

// A document that changes while it is read gives nothing from the read that met the change, nor
// from any read after it. `change` is done between two reads, on a file whose stamp lies in the
// past, so that a change within the same tick of the clock is not mistaken for none.
struct ChangeCase {
    std::string name;
    std::function<void(const fs::path&)> change;
    bool changed;
};

void PrintTo(const ChangeCase& param, std::ostream* out) {
    *out << param.name;
}

class ChangingWhileRead : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangingWhileRead, GivesNothingAfterTheChange) {
    const TempDir dir;
    const fs::path path = MakeDocument(dir);
    fs::last_write_time(path, fs::last_write_time(path) - 1h);
    auto file = ExclusiveFile::Open(path).file;
    ASSERT_NE(file, nullptr);
    std::array<std::uint8_t, 4> head{};
    ASSERT_EQ(file->ReadAt(0, head), head.size());
    GetParam().change(path);
    std::array<std::uint8_t, 4> rest{};
    EXPECT_EQ(file->ReadAt(4, rest), GetParam().changed ? 0u : rest.size());
    EXPECT_EQ(file->ReadAt(0, head), GetParam().changed ? 0u : head.size());
    EXPECT_EQ(file->ChangedWhileRead(), GetParam().changed);
}

void WriteAt(const fs::path& path, int flags, std::string_view bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | flags);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    close(fd);
}

INSTANTIATE_TEST_SUITE_P(
    ExclusiveFile, ChangingWhileRead,
    ::testing::Values(
        ChangeCase{"Unchanged", [](const fs::path&) {}, false},
        ChangeCase{"OnlyItsPermissions",
                   [](const fs::path& p) {
                       fs::permissions(p, fs::perms::others_read, fs::perm_options::add);
                   },
                   false},
        ChangeCase{"AppendedTo", [](const fs::path& p) { WriteAt(p, O_APPEND, "more"); }, true},
        ChangeCase{"RewrittenInPlace", [](const fs::path& p) { WriteAt(p, 0, "STAN"); }, true},
        ChangeCase{"Truncated", [](const fs::path& p) { fs::resize_file(p, 2); }, true}),
    [](const auto& info) { return info.param.name; });

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
    {
        auto file = ExclusiveFile::Open(path).file;
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

struct DescriptionCase {
    std::string name;
    std::uint64_t size;
    std::int64_t lastWriteTime;
};

void PrintTo(const DescriptionCase& param, std::ostream* out) {
    *out << param.name;
}

// A walk lists names and types only, and a document's row tells the size and stamps its open file
// gave: those of the version examined, even when it changed after the listing.
class Describing : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(Describing, TellsWhatAListingOfItTellsNow) {
    const TempDir dir;
    // A folder's first entry is asked about all the same, to learn that the folder answers.
    for (const char* name : {"a.doc", "b.doc"}) {
        dir.WriteText(name, kContent);
    }
    const auto isDocument = [](NativeName name) { return name.ends_with(".doc"); };
    const DirectoryListing typed = ListDirectory(dir.Path(), isDocument, FileDetails::TypeOnly);
    ASSERT_EQ(typed.entries.size(), 2u);
    const std::size_t index = typed.entries[0].described ? 1 : 0;
    EXPECT_FALSE(typed.entries[index].described);
    EXPECT_TRUE(typed.entries[index].isRegularFile);
    const fs::path path = dir.Path() / typed.entries[index].name;

    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(GetParam().size)), 0);
    const timespec times[2] = {{0, UTIME_OMIT}, {GetParam().lastWriteTime, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const auto file = ExclusiveFile::Open(path, ListedAs::PlainFile).file;
    ASSERT_NE(file, nullptr);

    const DirectoryListing described = ListDirectory(dir.Path(), isDocument);
    ASSERT_EQ(described.entries.size(), 2u);
    const DirectoryEntry& entry = described.entries[index];
    EXPECT_EQ(file->Description(), (FileDescription{.size = entry.size,
                                                    .creationTime = entry.creationTime,
                                                    .lastWriteTime = entry.lastWriteTime}));
    EXPECT_EQ(file->Description().size, GetParam().size);
    EXPECT_EQ(file->Description().lastWriteTime, GetParam().lastWriteTime);
}

INSTANTIATE_TEST_SUITE_P(ExclusiveFile, Describing,
                         ::testing::Values(DescriptionCase{"Grown", 4096, 1204679222},
                                           DescriptionCase{"Emptied", 0, 1204679223},
                                           DescriptionCase{"SparseBeyondFourGigabytes",
                                                           5'000'000'000, 1262372645},
                                           DescriptionCase{"StampedBefore1970", 7, -86400}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kalvor::platform
