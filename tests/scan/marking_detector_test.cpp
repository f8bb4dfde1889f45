#include "scan/marking_detector.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/exclusive_file.h"
#include "platform/file_operations.h"
#include "scan/examination_memory.h"
#include "scan/formats/word_document.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_stream.h"

namespace kalvor::scan {
namespace {

namespace fs = std::filesystem;
using testing::BuildWordDocument;
using testing::WordStream;
using testing::WordStreamWithText;

constexpr Examination kMarked{MarkingVerdict::Marked, std::nullopt};
constexpr Examination kNotMarked{MarkingVerdict::NotMarked, std::nullopt};

Examination NotExamined(NotExaminedReason reason) {
    return {MarkingVerdict::NotExamined, reason};
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

// A stream past the mini-stream cutoff (4096 bytes), with its marking in the last sector.
std::vector<std::uint8_t> LargeMarkedStream() {
    return WordStream(20000, {{19990, testing::Utf16Le(u"秘密")}});
}

std::vector<std::uint8_t> CompoundFileWithoutWordDocument() {
    testing::CompoundFileSpec spec;
    spec.rootStreams = {{u"1Table", WordStreamWithText(u"秘密")}};
    return testing::BuildCompoundFile(spec);
}

struct DocumentCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    Examination expected;
};

void ExpectExaminations(const std::vector<DocumentCase>& cases) {
    const testing::TempDir dir;
    cfb::RootStreamReader reader{ExaminationMemory()};
    for (const DocumentCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir.Write(std::string(c.name) + ".doc", c.bytes);
        const Examination got = ExamineDocument(path, reader);
        EXPECT_EQ(got.verdict, c.expected.verdict);
        EXPECT_EQ(got.reason, c.expected.reason);
        EXPECT_EQ(CheckMarking(path), c.expected.verdict);
    }
}

TEST(ExamineDocument, ReadsTheWordDocumentStreamOfBothFormatVersions) {
    ExpectExaminations({
        {"v3 mini stream", BuildWordDocument(WordStreamWithText(u"绝密"), 3), kMarked},
        {"v3 regular sectors", BuildWordDocument(LargeMarkedStream(), 3), kMarked},
        {"v4 mini stream", BuildWordDocument(WordStreamWithText(u"机 密"), 4), kMarked},
        {"v4 regular sectors", BuildWordDocument(LargeMarkedStream(), 4), kMarked},
        {"unmarked", BuildWordDocument(WordStreamWithText(u"保密协议")), kNotMarked},
        {"old version", BuildWordDocument(WordStreamWithText(u"秘密", 0x00)),
         NotExamined(WordStreamRefusal::UnsupportedVersion)},
        {"stream of 4 bytes", BuildWordDocument({0xEC, 0xA5, 0xC1, 0x00}),
         NotExamined(WordStreamRefusal::TooShort)},
        {"no WordDocument stream", CompoundFileWithoutWordDocument(),
         NotExamined(cfb::StreamReadResult::StreamNotFound)},
    });
}

// The flags word of the file information block, bytes 10 and 11 of the stream.
std::vector<std::uint8_t> StreamWithFlags(std::uint16_t flags, std::u16string_view text) {
    return WordStream(
        512,
        {{10, {static_cast<std::uint8_t>(flags & 0xFF), static_cast<std::uint8_t>(flags >> 8)}},
         {68, testing::Utf16Le(text)}});
}

TEST(ExamineDocument, DoesNotTakeADocumentAPasswordHidesForAnUnmarkedOne) {
    const auto encrypted = NotExamined(WordStreamRefusal::Encrypted);
    ExpectExaminations({
        {"encrypted", BuildWordDocument(StreamWithFlags(0x0100, u"保密协议")), encrypted},
        {"obfuscated", BuildWordDocument(StreamWithFlags(0x8100, u"保密协议")), encrypted},
        {"encrypted, other flags", BuildWordDocument(StreamWithFlags(0xFFFF, u"")), encrypted},
        // A marking in the bytes lists it all the same, as the raw rule always has.
        {"encrypted, marked", BuildWordDocument(StreamWithFlags(0x0100, u"绝密")), kMarked},
        // Without fEncrypted the obfuscation bit counts for nothing: the text is in clear.
        {"obfuscation bit alone", BuildWordDocument(StreamWithFlags(0x8000, u"保密协议")),
         kNotMarked},
        {"other flags", BuildWordDocument(StreamWithFlags(0xFEFF, u"保密协议")), kNotMarked},
    });
}

TEST(ExamineDocument, DoesNotExamineWhatIsNotACompoundFile) {
    const auto notCompound = NotExamined(cfb::StreamReadResult::NotCompoundFile);
    ExpectExaminations({
        {"rtf", Bytes("{\\rtf1\\ansi 秘密}"), notCompound},
        {"html", Bytes("<html><body>绝密</body></html>"), notCompound},
        {"utf-16 text", testing::Utf16Le(u"\uFEFF秘密文件"), notCompound},
        {"empty", {}, notCompound},
    });
}

TEST(ExamineDocument, FindsMarkingsInRealDocuments) {
    const fs::path data = KALVOR_TEST_DATA_DIR;
    if (!fs::is_directory(data)) {
        GTEST_SKIP() << "no documents in " << data;
    }
    const testing::TempDir dir;
    cfb::RootStreamReader reader{ExaminationMemory()};
    std::size_t documents = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(data)) {
        if (entry.path().extension() != ".doc") {
            continue;
        }
        const fs::path copy = dir.Path() / entry.path().filename();
        fs::copy_file(entry.path(), copy);
        fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
        const bool marked = entry.path().filename().string().starts_with("marked");
        EXPECT_EQ(ExamineDocument(copy, reader).verdict,
                  marked ? MarkingVerdict::Marked : MarkingVerdict::NotMarked)
            << entry.path();
        ++documents;
    }
    EXPECT_GT(documents, 0u);
}

class ExamineFileTest : public ::testing::Test {
  protected:
    Examination Examine(const fs::path& path) { return ExamineDocument(path, reader_); }

    testing::TempDir dir_;
    cfb::RootStreamReader reader_{ExaminationMemory()};
    const fs::path marked_ = dir_.Write("marked.doc", testing::WordDocumentWithText(u"秘密"));
};

TEST_F(ExamineFileTest, PassesOverReadOnlyFiles) {
    fs::permissions(marked_, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(Examine(marked_).reason, FileRefusal::ReadOnly);
    EXPECT_EQ(CheckMarking(marked_), MarkingVerdict::NotExamined);
}

// Windows has its own cases for these: a second handle, not a second process.
#ifndef _WIN32
TEST_F(ExamineFileTest, PassesOverAFileAnotherProcessHolds) {
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(release[1]);
        const auto held = platform::ExclusiveFile::Open(marked_).file;
        const char opened = held != nullptr ? 'y' : 'n';
        char ignored = 0;
        if (write(ready[1], &opened, 1) != 1 || read(release[0], &ignored, 1) < 0) {
            _exit(1);
        }
        _exit(0);
    }
    char opened = 0;
    ASSERT_EQ(read(ready[0], &opened, 1), 1);
    ASSERT_EQ(opened, 'y');
    EXPECT_EQ(Examine(marked_).reason, FileRefusal::Locked);
    close(release[1]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(Examine(marked_).verdict, MarkingVerdict::Marked);
    for (const int fd : {ready[0], ready[1], release[0]}) {
        close(fd);
    }
}

TEST_F(ExamineFileTest, NeverOpensWhatIsNotARegularFile) {
    const fs::path fifo = dir_.Path() / "x.doc";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Examine(fifo).reason, FileRefusal::NotRegularFile);
    EXPECT_EQ(Examine(dir_.MakeDir("folder.doc")).reason, FileRefusal::NotRegularFile);
}

#endif

// The row of a document whose listing tells no identity for it (as on Windows) takes the one the
// examination tells: that of the file itself, whichever name led to it.
TEST_F(ExamineFileTest, TellsWhichFileItExamined) {
    const fs::path plain = dir_.Write("plain.doc", testing::WordDocumentWithText(u"无标志"));
    const fs::path hardLink = dir_.Path() / "hard.doc";
    fs::create_hard_link(marked_, hardLink);
    std::vector<std::pair<fs::path, fs::path>> cases = {
        {marked_, marked_}, {plain, plain}, {hardLink, marked_}};
#ifndef _WIN32
    const fs::path link = dir_.Path() / "link.doc";
    fs::create_symlink(marked_, link);
    cases.emplace_back(link, marked_);
#endif
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Examine(name).fileIdentity, platform::FingerprintOf(file).value().identity);
    }
    EXPECT_NE(Examine(plain).fileIdentity, Examine(marked_).fileIdentity);
    EXPECT_EQ(Examine(dir_.Path() / "missing.doc").fileIdentity, std::nullopt);
}

TEST_F(ExamineFileTest, TellsAMissingFileFromAPathTooLong) {
    EXPECT_EQ(Examine(dir_.Path() / "missing.doc").reason, FileRefusal::Unreadable);
    const fs::path deep = dir_.Path() / std::string(5000, 'd') / "x.doc";
    EXPECT_EQ(Examine(deep).reason, FileRefusal::PathTooLong);
    EXPECT_EQ(Examine(marked_).verdict, MarkingVerdict::Marked);
}

}  // namespace
}  // namespace kalvor::scan
