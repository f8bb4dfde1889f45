#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "cli/scan_command.h"
#include "kalvor/version.h"
#include "platform/posix/unique_fd.h"
#include "tests/support/scan_command_runner.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"
#include "tests/support/word_stream.h"

namespace kalvor::cli {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kMarkedDocument = testing::WordDocumentWithText(u"秘密");
constexpr std::int64_t kModified = 1204679222;  // 2008-03-05 09:07:02 in Shanghai
constexpr const char* kNotExaminedNote =
    "另有 1 个 .doc 文件无法检查（只读、被锁定、不是 Word 97-2003 文档等）。\n";

class ScanCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "Asia/Shanghai", 1);
        tzset();
    }

    fs::path WriteMarked(const fs::path& relative) {
        const fs::path path = dir_.Write(relative, kMarkedDocument);
        const timespec times[2] = {{0, UTIME_OMIT}, {kModified, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }

    // "1\t/path\t<size>\t" and, after the creation time, "\t2008-03-05 09:07:02".
    void ExpectRow(const std::string& line, int number, const fs::path& path) {
        const std::string head = std::to_string(number) + "\t" + path.native() + "\t" +
                                 std::to_string(kMarkedDocument.size()) + "\t";
        ASSERT_EQ(line.size(), head.size() + 19 + 1 + 19) << line;
        EXPECT_EQ(line.substr(0, head.size()), head);
        EXPECT_EQ(line.substr(head.size() + 19), "\t2008-03-05 09:07:02");
    }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    testing::TempDir dir_;
};

TEST_F(ScanCommandTest, RejectsABadCommandLine) {
    const std::string folder = dir_.Path().native();
    const std::string file = dir_.WriteText("file.txt", "x").native();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no FOLDER given"},
        {{"--not-examined"}, "no FOLDER given"},
        {{"--verbose", folder}, "unknown option --verbose"},
        {{folder, folder}, "only one FOLDER can be searched"},
        {{"--jobs"}, "--jobs needs a number"},
        {{"--jobs", "0", folder}, "--jobs takes a whole number from 1 to 1024"},
        {{"--jobs", "1025", folder}, "--jobs takes a whole number from 1 to 1024"},
        {{"--jobs=2x", folder}, "--jobs takes a whole number from 1 to 1024"},
        {{"--jobs", "-1", folder}, "--jobs takes a whole number from 1 to 1024"},
        {{"--match", "loose", folder}, "--match takes default or wide"},
        {{"--types=", folder}, "--types takes all or a comma-separated list of doc,dot,wps"},
        {{"--types", "doc,pdf", folder}, "--types: pdf is not a type this build reads"},
        {{"--include=", folder}, "--include takes read-only, in-use, both comma-separated, or all"},
        {{"--include", "read-only,all", folder},
         "--include takes read-only, in-use, both comma-separated, or all"},
        {{folder + "/missing"}, folder + "/missing: no such folder"},
        {{file}, file + ": not a folder"},
    };
    for (const auto& [args, problem] : cases) {
        SCOPED_TRACE(problem);
        const CommandResult result = RunScan(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        // The known types listed after the problem depend on the build.
        EXPECT_TRUE(result.err.starts_with("kalvor-scan: " + problem)) << result.err;
    }
}

TEST_F(ScanCommandTest, ExplainsItselfOnHelp) {
    const CommandResult result = RunScan({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(
        result.out.starts_with("Usage: kalvor-scan [--not-examined] [--jobs N] "
                               "[--format text|json|csv] [--progress]\n"));
    EXPECT_NE(result.out.find("秘密, 机密 or 绝密"), std::string::npos);
    EXPECT_EQ(result.err, "");
    const CommandResult version = RunScan({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kalvor-scan " KALVOR_VERSION "\n");
}

TEST_F(ScanCommandTest, PrintsOneLinePerMarkedDocumentAndTheSummary) {
    const fs::path first = WriteMarked("a.doc");
    const fs::path second = WriteMarked("s/b.doc");
    dir_.WriteText("r.doc", "{\\rtf1 秘密}");
    for (const char* jobs : {"1", "4"}) {
        SCOPED_TRACE(jobs);
        const CommandResult result = RunScan({"--jobs", jobs, dir_.Path().native()});
        EXPECT_EQ(result.status, 0);
        const std::vector<std::string> lines = Lines(result.out);
        EXPECT_EQ(lines.size(), 2u);
        if (lines.size() != 2u) {
            continue;
        }
        ExpectRow(lines[0], 1, first);
        ExpectRow(lines[1], 2, second);
        EXPECT_EQ(result.err, std::string("一共找到 2 个符合要求的文件！\n") + kNotExaminedNote);
    }
}

TEST_F(ScanCommandTest, ListsWhatItCouldNotExamineWhenAsked) {
    const fs::path rtf = dir_.WriteText("r.doc", "{\\rtf1 秘密}");
    const CommandResult result = RunScan({dir_.Path().native(), "--not-examined"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "not-examined\tnot-compound-file\t" + rtf.native() +
                              "\n一共找到 0 个符合要求的文件！\n" + kNotExaminedNote);
}

TEST_F(ScanCommandTest, MakesARelativeFolderAbsoluteWithoutResolvingLinks) {
    WriteMarked("real/-a.doc");
    fs::create_directory_symlink("real", dir_.Path() / "-link");
    const fs::path before = fs::current_path();
    fs::current_path(dir_.Path());
    const CommandResult result = RunScan({"--", "-link"});
    fs::current_path(before);
    EXPECT_EQ(result.status, 0);
    ASSERT_EQ(Lines(result.out).size(), 1u);
    ExpectRow(Lines(result.out)[0], 1, dir_.Path() / "-link" / "-a.doc");
}

TEST_F(ScanCommandTest, SaysNoneFoundInAnEmptyFolder) {
    const CommandResult result = RunScan({dir_.MakeDir("empty").native()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "一共找到 0 个符合要求的文件！\n");
}

TEST_F(ScanCommandTest, FailsOnAFolderItCannotRead) {
    const fs::path closed = dir_.MakeDir("closed");
    fs::permissions(dir_.Path(), fs::perms::all);
    fs::permissions(closed, fs::perms::none);
    const std::optional<std::string> seen = testing::RunUnprivileged([&] {
        const CommandResult result = RunScan({closed.native()});
        return std::to_string(result.status) + " " + result.err;
    });
    EXPECT_EQ(seen, "2 kalvor-scan: " + closed.native() + ": cannot be read\n");
}

TEST_F(ScanCommandTest, KeepsTheRowsFoundWhenTheSearchStopsEarly) {
    const fs::path marked = WriteMarked("a.doc");
    const ScanEnvironment environment{.search = [](const fs::path& folder, scan::SearchSink& sink,
                                                   const scan::SearchOptions& options) {
        const scan::SearchProgress progress = scan::SearchFolder(folder, sink, options);
        sink.NoteSearchFailed("std::bad_alloc");
        return progress;
    }};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunScanCommand({{dir_.Path().native()}}, out, err, environment), 2);
    ASSERT_EQ(Lines(out.str()).size(), 1u);
    ExpectRow(Lines(out.str())[0], 1, marked);
    EXPECT_EQ(err.str(),
              "kalvor-scan: the search stopped early: std::bad_alloc; what was printed is what it "
              "found until then\n");
}

// Holds what is written until it is flushed, as standard output does when it is a pipe or a file.
class HoldingBuffer final : public std::streambuf {
  public:
    const std::string& Held() const { return held_; }
    const std::string& Delivered() const { return delivered_; }

  protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            held_ += traits_type::to_char_type(c);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        held_.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override {
        delivered_ += std::exchange(held_, {});
        return 0;
    }

  private:
    std::string held_;
    std::string delivered_;
};

// Each row reaches standard output before the search goes on: a reader that stops at the first
// does not wait for the whole tree, and a program ended meanwhile has lost none.
TEST_F(ScanCommandTest, WritesEachRowOutBeforeTheSearchGoesOn) {
    const fs::path folder = dir_.MakeDir("tree");
    const std::vector<scan::ResultRow> found = {
        {.path = folder / "a.doc",
         .size = 1536,
         .creationTime = {},
         .lastWriteTime = kModified,
         .fingerprint = {},
         .folderIdentity = {}},
        {.path = folder / "b.doc",
         .size = 2048,
         .creationTime = {},
         .lastWriteTime = kModified,
         .fingerprint = {},
         .folderIdentity = {}},
    };
    for (const std::string format : {"text", "json", "csv"}) {
        SCOPED_TRACE(format);
        HoldingBuffer buffer;
        std::ostream out(&buffer);
        std::ostringstream err;
        std::vector<std::string> heldAfterRows;
        const ScanEnvironment environment{
            .search = [&](const fs::path&, scan::SearchSink& sink, const scan::SearchOptions&) {
                for (const scan::ResultRow& row : found) {
                    sink.AddResultRow(row);
                    heldAfterRows.push_back(buffer.Held());
                }
                return scan::SearchProgress{
                    .foldersListed = 1, .documentsExamined = 2, .documentsMarked = 2};
            }};
        const std::vector<std::string> args = {"--format", format, folder.native()};
        EXPECT_EQ(RunScanCommand(args, out, err, environment), 0);
        EXPECT_EQ(heldAfterRows, std::vector<std::string>(found.size()));
        EXPECT_GE(Lines(buffer.Delivered()).size(), found.size());
    }
}

// What kalvor-scan wrote and how it ended, run by the shell with `redirections`.
struct ShellRun {
    int status = -1;
    std::string err;
};

ShellRun RunExecutable(const std::string& arguments, const std::string& redirections) {
    const std::string command =
        "'" + std::string(KALVOR_SCAN_EXECUTABLE) + "' " + arguments + " " + redirections;
    FILE* pipe = popen(command.c_str(), "r");
    std::string err;
    std::array<char, 4096> chunk;
    while (const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), pipe)) {
        err.append(chunk.data(), got);
    }
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

TEST_F(ScanCommandTest, FailsWhenItsOutputCannotBeWritten) {
    for (int i = 0; i < 300; ++i) {
        WriteMarked("a" + std::to_string(i) + ".doc");
    }
    const std::string folder = "'" + dir_.Path().native() + "'";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder + " 2>&1 >/dev/full", "No space left on device"},
        {"--help 2>&1 >/dev/full", "No space left on device"},
        {folder + " --jobs 1 2>&1 >&-", "Bad file descriptor"},
        {folder + " --format json 2>&1 >&-", "Bad file descriptor"},
    };
    for (const auto& [redirections, reason] : cases) {
        SCOPED_TRACE(redirections);
        const ShellRun run = RunExecutable("", redirections);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "kalvor-scan: cannot write to standard output: " + reason + "\n");
    }
    // With standard output closed, no document it opened took the descriptor and the rows.
    std::ifstream document(dir_.Path() / "a0.doc", std::ios::binary);
    EXPECT_EQ(std::vector<char>(std::istreambuf_iterator<char>(document), {}),
              std::vector<char>(kMarkedDocument.begin(), kMarkedDocument.end()));
}

// The status line is for a person at a terminal; a script reading standard error through a pipe
// sees only the summary, as before, unless it asks for the line.
TEST_F(ScanCommandTest, KeepsAStatusLineOnlyWhereAskedFor) {
    WriteMarked("a.doc");
    const std::string folder = "'" + dir_.Path().native() + "'";
    const std::string summary = "一共找到 1 个符合要求的文件！\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder, summary},
        {"--quiet " + folder, ""},
        {"--progress " + folder, "\r已搜索 "},
    };
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(arguments);
        const ShellRun run = RunExecutable(arguments, "2>&1 >/dev/null");
        EXPECT_EQ(run.status, 0);
        if (arguments.starts_with("--progress")) {
            EXPECT_TRUE(run.err.starts_with(expected)) << run.err;
            // Blanked again before the summary, which then starts at the line's beginning.
            EXPECT_TRUE(run.err.ends_with(" \r" + summary)) << run.err;
        } else {
            EXPECT_EQ(run.err, expected);
        }
    }
}

// The ends of a pipe, closed when they go.
struct Pipe {
    platform::UniqueFd read;
    platform::UniqueFd write;
};

Pipe MakePipe() {
    std::array<int, 2> ends{-1, -1};
    EXPECT_EQ(pipe2(ends.data(), O_CLOEXEC), 0);
    return {platform::UniqueFd(ends[0]), platform::UniqueFd(ends[1])};
}

// Reads from `fd` up to the end of `lines` lines, or fewer when nothing comes for half a minute,
// so that a command that writes none while it waits for its other output cannot hang the test.
std::string ReadLines(int fd, std::size_t lines) {
    std::string text;
    pollfd readable{.fd = fd, .events = POLLIN, .revents = 0};
    char byte = 0;
    while (lines > 0 && poll(&readable, 1, 30'000) == 1 && read(fd, &byte, 1) == 1) {
        text += byte;
        lines -= byte == '\n' ? 1 : 0;
    }
    return text;
}

std::string ReadToTheEnd(int fd) {
    std::string text;
    std::array<char, 4096> chunk;
    for (ssize_t got; (got = read(fd, chunk.data(), chunk.size())) > 0;) {
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return text;
}

// Starts kalvor-scan with `arguments`, writing to `out` and `err`, with the stop signals at their
// default action whatever this test inherited (a shell running it in the background ignores
// SIGINT). Returns its process id, or -1.
pid_t StartExecutable(const std::vector<std::string>& arguments, int out, int err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    for (const int stop : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&signals, stop);
    }
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> words{KALVOR_SCAN_EXECUTABLE};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, KALVOR_SCAN_EXECUTABLE, &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return spawned == 0 ? pid : -1;
}

// A signal stops the search, which keeps what it found. Standard error is a pipe of one page that
// is read only after the signal, and the files that cannot be examined, walked after the marked
// ones, say more than fits into it: so the search is still running when the signal comes,
// however fast it is.
TEST_F(ScanCommandTest, KeepsWhatItFoundWhenASignalStopsIt) {
    constexpr std::size_t kMarked = 5;
    for (std::size_t i = 0; i < kMarked; ++i) {
        WriteMarked("tree/m" + std::to_string(i) + ".doc");
    }
    const int pageSize = static_cast<int>(sysconf(_SC_PAGESIZE));
    // Every line about a file not examined is longer than 32 bytes.
    const std::size_t unreadable = 2 * static_cast<std::size_t>(pageSize) / 32;
    for (std::size_t i = 0; i < unreadable; ++i) {
        dir_.WriteText(
            "tree/n" + std::string(5 - std::to_string(i).size(), '0') + std::to_string(i) + ".doc",
            "not a compound file");
    }
    const std::string tree = (dir_.Path() / "tree").native();
    struct Case {
        int signal;
        std::vector<std::string> options;
        std::size_t headerLines;
    };
    const std::vector<Case> cases = {
        {SIGINT, {"--jobs", "1"}, 0},
        {SIGTERM, {"--jobs", "4", "--format", "json"}, 0},
        {SIGHUP, {"--format", "csv", "--progress"}, 1},
    };
    for (const auto& [signal, options, headerLines] : cases) {
        SCOPED_TRACE(signal);
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {"--not-examined", tree});
        Pipe out = MakePipe();
        Pipe err = MakePipe();
        EXPECT_EQ(fcntl(err.read.Get(), F_SETPIPE_SZ, pageSize), pageSize);
        const pid_t pid = StartExecutable(arguments, out.write.Get(), err.write.Get());
        EXPECT_GT(pid, 0);
        if (pid <= 0) {
            continue;
        }
        out.write = platform::UniqueFd();
        err.write = platform::UniqueFd();

        std::string outText = ReadLines(out.read.Get(), headerLines + 1);
        EXPECT_EQ(Lines(outText).size(), headerLines + 1) << "no row came while the search ran";
        kill(pid, signal);
        const std::string errText = ReadToTheEnd(err.read.Get());
        outText += ReadToTheEnd(out.read.Get());
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);

        // Every row found until then, in order, each whole.
        EXPECT_TRUE(outText.ends_with('\n')) << outText;
        const std::vector<std::string> lines = Lines(outText);
        const std::size_t rows = lines.size() - headerLines;
        for (std::size_t row = 1; row <= rows; ++row) {
            const std::string& line = lines[headerLines + row - 1];
            const std::size_t number = line.find_first_of("0123456789");
            EXPECT_NE(number, std::string::npos) << line;
            if (number == std::string::npos) {
                continue;
            }
            EXPECT_EQ(std::stoul(line.substr(number)), row) << line;
        }
        // Every file not examined until then, told and counted; the search did not go on to the
        // end.
        const std::vector<std::string> errLines = Lines(errText);
        const auto notExamined = static_cast<std::size_t>(
            std::count_if(errLines.begin(), errLines.end(), [](const std::string& line) {
                return line.find("not-examined") != std::string::npos;
            }));
        EXPECT_LT(notExamined, unreadable);
        std::string summary =
            "搜索已取消，已找到 " + std::to_string(rows) + " 个符合要求的文件。\n";
        if (notExamined > 0) {
            summary += "另有 " + std::to_string(notExamined) +
                       " 个 .doc 文件无法检查（只读、被锁定、不是 Word 97-2003 文档等）。\n";
        }
        EXPECT_TRUE(errText.ends_with(summary)) << errText;
        if (!errText.ends_with(summary)) {
            continue;
        }
        // On a line of its own, any status line blanked out before it.
        const std::string before = errText.substr(0, errText.size() - summary.size());
        EXPECT_TRUE(before.empty() || before.ends_with('\n') || before.ends_with('\r')) << before;
    }
}

TEST_F(ScanCommandTest, RunsAsAnExecutable) {
    const fs::path marked = WriteMarked("a.doc");
    const fs::path out = dir_.Path() / "out.txt";
    const fs::path err = dir_.Path() / "err.txt";
    const std::string command = std::string("'") + KALVOR_SCAN_EXECUTABLE + "' '" +
                                dir_.Path().native() + "' >'" + out.native() + "' 2>'" +
                                err.native() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::ifstream outFile(out);
    std::ifstream errFile(err);
    const std::string outText((std::istreambuf_iterator<char>(outFile)), {});
    const std::string errText((std::istreambuf_iterator<char>(errFile)), {});
    ASSERT_EQ(Lines(outText).size(), 1u);
    ExpectRow(Lines(outText)[0], 1, marked);
    EXPECT_EQ(errText, "一共找到 1 个符合要求的文件！\n");
}

}  // namespace
}  // namespace kalvor::cli
