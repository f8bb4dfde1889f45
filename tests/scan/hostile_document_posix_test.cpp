#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cfb/compound_file.h"
#include "platform/exclusive_file.h"
#include "report/reason_texts.h"
#include "scan/examination_memory.h"
#include "scan/folder_search.h"
#include "scan/marking_detector.h"
#include "scan/tree_walk.h"
#include "tests/support/compound_file_builder.h"
#if defined(KALVOR_WORD_PACKAGES)
#include "scan/formats/word_package.h"
#include "tests/support/package_writer.h"
#endif
#include "tests/support/scan_command_runner.h"
#include "tests/support/search_sink_recorder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_stream.h"

namespace kalvor::scan {
namespace {

namespace fs = std::filesystem;
namespace field = testing::cfb_field;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint64_t kGiB = 1ull << 30;

// A Word stream of 20 sectors with 绝密 at the start and 机密 in its last sector.
const Bytes kStream = testing::WordStream(
    20 * 512, {{0x40, testing::Utf16Le(u"绝密")}, {19 * 512 + 8, testing::Utf16Le(u"机密")}});

testing::BuiltCompoundFile MarkedFile(std::vector<std::uint8_t> stream = kStream,
                                      int majorVersion = 3, std::uint32_t fatSectors = 0) {
    return testing::BuildCompoundFileWithLayout(
        {.majorVersion = majorVersion,
         .rootStreams = {{u"WordDocument", std::move(stream)}, {u"1Table", Bytes(300, 7)}},
         .minimumFatSectors = fatSectors});
}

// A figure of /proc/self/status ("VmRSS", "VmHWM") in bytes.
std::uint64_t MemoryFigure(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(name + ":")) {
            return std::stoull(line.substr(name.size() + 1)) * 1024;
        }
    }
    return 0;
}

// Measures the most memory held while it lives beyond what was held when it was made.
class PeakMemoryGrowth {
  public:
    PeakMemoryGrowth() {
        // Writing 5 to clear_refs sets the peak back to what is held now.
        std::ofstream("/proc/self/clear_refs") << "5";
        start_ = MemoryFigure("VmRSS");
    }
    // The kernel brings the peak up to date only now and then, so it may lag behind what is held
    // at the start, or now.
    std::uint64_t Bytes() const {
        const std::uint64_t peak = std::max(MemoryFigure("VmHWM"), MemoryFigure("VmRSS"));
        return peak > start_ ? peak - start_ : 0;
    }

  private:
    std::uint64_t start_ = 0;
};

// What a child process made of some work: the text it gave back, and the processor time it spent.
struct ChildOutcome {
    std::string text;
    double cpuSeconds = 0;
};

// Runs `work` in a child process, so that it can be given limits of its own and measured alone.
ChildOutcome RunInChild(const std::function<std::string()>& work) {
    int channel[2];
    if (pipe(channel) != 0) {
        return {"no pipe"};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const std::string text = work();
        const bool written =
            write(channel[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof(buffer))) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    int status = -1;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status)) {
        return {"the child did not finish: status " + std::to_string(status)};
    }
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return {text, seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// Limits the address space of this process to what it holds now and `more` bytes.
bool LimitMemoryTo(std::uint64_t more) {
    const rlimit limit{MemoryFigure("VmSize") + more, RLIM_INFINITY};
    return setrlimit(RLIMIT_AS, &limit) == 0;
}

class HostileDocumentTest : public ::testing::Test {
  protected:
    // Searches a folder holding only `bytes` as huge.doc, `size` bytes long (sparse past the
    // bytes), and returns what became of it: "marked", or the reason it was not examined.
    std::string SearchSparse(const Bytes& bytes, std::uint64_t size) {
        const fs::path path = dir_.Write("huge.doc", bytes);
        fs::resize_file(path, size);
        SearchSinkRecorder sink;
        const PeakMemoryGrowth growth;
        SearchFolder(dir_.Path(), sink);
        grown_ = growth.Bytes();
        fs::remove(path);
        if (!sink.rows.empty()) {
            return "marked";
        }
        return sink.notExamined.empty()
                   ? "not marked"
                   : std::string(report::ReasonToken(sink.notExamined[0].second));
    }

    testing::TempDir dir_;
    std::uint64_t grown_ = 0;
};

TEST_F(HostileDocumentTest, RefusesAHugeSparseDocumentWhoseStreamClaimsFarMoreThanItsChain) {
    auto built = MarkedFile();
    testing::PutLe32(
        built.bytes,
        built.layout.DirectoryEntryOffset(built.layout.Stream(u"WordDocument").directoryEntry) +
            field::kEntrySize,
        0x7FFFFF00);
    EXPECT_EQ(SearchSparse(built.bytes, 3 * kGiB), "stream-too-large");
    EXPECT_LT(grown_, 256u << 20);
}

// Lists the file's one FAT sector again and again through a long DIFAT chain, so that the header
// claims a FAT as large as a huge file could need.
Bytes WithRepeatedFatSectors(testing::BuiltCompoundFile built, std::uint32_t fatSectorCount) {
    Bytes& bytes = built.bytes;
    const testing::CompoundFileLayout& layout = built.layout;
    EXPECT_EQ(layout.fatSectors.size(), 1u);
    const std::uint32_t sectorSize = layout.sectorSize;
    const std::uint32_t idsPerDifatSector = sectorSize / 4 - 1;
    const std::uint32_t fatSector = layout.fatSectors[0];
    const std::uint32_t firstDifat = static_cast<std::uint32_t>(bytes.size() / sectorSize - 1);
    const std::uint32_t difatSectors =
        (fatSectorCount - 109 + idsPerDifatSector - 1) / idsPerDifatSector;
    for (std::uint32_t i = 0; i < 109; ++i) {
        testing::PutLe32(bytes, field::kHeaderDifat + 4 * i, fatSector);
    }
    bytes.resize(bytes.size() + std::size_t{difatSectors} * sectorSize);
    for (std::uint32_t d = 0; d < difatSectors; ++d) {
        const std::uint64_t at = layout.SectorOffset(firstDifat + d);
        for (std::uint32_t i = 0; i < idsPerDifatSector; ++i) {
            testing::PutLe32(bytes, at + 4 * i, fatSector);
        }
        testing::PutLe32(bytes, at + 4 * idsPerDifatSector,
                         d + 1 < difatSectors ? firstDifat + d + 1 : kEndOfChain);
    }
    testing::PutLe32(bytes, field::kHeaderFatSectorCount, fatSectorCount);
    testing::PutLe32(bytes, field::kHeaderFirstDifatSector, firstDifat);
    testing::PutLe32(bytes, field::kHeaderDifatSectorCount, difatSectors);
    return bytes;
}

TEST_F(HostileDocumentTest, ReadsNoMoreFatThanTheFileHasSectorsFor) {
    // 1 GiB holds two million sectors; their FAT needs 16384 sectors, not the two million listed.
    const Bytes bytes = WithRepeatedFatSectors(MarkedFile(), 2'000'000);
    EXPECT_EQ(SearchSparse(bytes, kGiB), "marked");
    EXPECT_LT(grown_, 256u << 20);
}

// Continues the chain that ends at sector `last` through `count` sectors past the end of the file,
// which stay holes; returns the size the file needs to hold them.
std::uint64_t ChainThroughHoles(Bytes& b, const testing::CompoundFileLayout& l, std::uint32_t last,
                                std::uint32_t count) {
    const auto first = static_cast<std::uint32_t>(b.size() / l.sectorSize - 1);
    testing::PutLe32(b, l.FatEntryOffset(last), first);
    for (std::uint32_t i = 0; i < count; ++i) {
        testing::PutLe32(b, l.FatEntryOffset(first + i),
                         i + 1 < count ? first + i + 1 : kEndOfChain);
    }
    return l.SectorOffset(first + count);
}

// A compound file, and the size it is given with holes past its bytes.
struct SparseFile {
    Bytes bytes;
    std::uint64_t size = 0;
};

// Version 4: its FAT describes 40 GiB in 40 MiB, and its directory chain runs through all of it,
// which once made the reader ask for 40 GiB.
SparseFile DirectoryThroughFortyGigabytes() {
    auto built = MarkedFile(kStream, 4, 10240);
    const std::uint64_t describes = 10240ull * 1024;
    const auto past = static_cast<std::uint32_t>(built.bytes.size() / 4096);
    const std::uint64_t size =
        ChainThroughHoles(built.bytes, built.layout, built.layout.directorySectors.back(),
                          static_cast<std::uint32_t>(describes - past));
    return {std::move(built.bytes), size};
}

struct OversizedCase {
    std::string name;
    std::function<SparseFile()> make;
    std::string expected;
};

TEST_F(HostileDocumentTest, RefusesTablesAndStreamsThatTheFileDoesNotBackOrNoDocumentComesNear) {
    const std::vector<OversizedCase> cases = {
        {"a directory chain through 17 MiB of holes",
         [] {
             auto built = MarkedFile(kStream, 3, 300);
             const std::uint32_t last = built.layout.directorySectors.back();
             const std::uint64_t size = ChainThroughHoles(built.bytes, built.layout, last, 34816);
             return SparseFile{built.bytes, size};
         },
         "structure-too-large"},
        {"a FAT describing a file of more than 4 GiB (4096-byte sectors)",
         [] {
             return SparseFile{WithRepeatedFatSectors(MarkedFile(kStream, 4), 1100), 5 * kGiB};
         },
         "structure-too-large"},
        {"a FAT of 24 MiB listed through the DIFAT of a file that backs a few hundred KiB",
         [] {
             return SparseFile{WithRepeatedFatSectors(MarkedFile(), 48'000), 3 * kGiB};
         },
         "structure-too-large"},
        {"a mini stream of 1 GiB holding the Word stream",
         [] {
             auto built =
                 MarkedFile(testing::WordStreamWithText(u"绝密" + std::u16string(200, u'x')));
             testing::PutLe32(built.bytes, built.layout.DirectoryEntryOffset(0) + field::kEntrySize,
                              1 << 30);
             return SparseFile{built.bytes, 2 * kGiB};
         },
         "structure-too-large"},
        {"a Word stream of 40 MiB whose chain runs through holes",
         [] {
             auto built = MarkedFile(kStream, 3, 700);
             const auto& placed = built.layout.Stream(u"WordDocument");
             const std::uint32_t added = 81920;
             const std::uint64_t size =
                 ChainThroughHoles(built.bytes, built.layout, placed.chain.back(), added);
             testing::PutLe32(
                 built.bytes,
                 built.layout.DirectoryEntryOffset(placed.directoryEntry) + field::kEntrySize,
                 (20 + added) * 512);
             return SparseFile{built.bytes, size};
         },
         "stream-too-large"},
        {"a directory chain through 40 GiB of holes", DirectoryThroughFortyGigabytes,
         "structure-too-large"},
    };
    for (const OversizedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SparseFile file = c.make();
        EXPECT_EQ(SearchSparse(file.bytes, file.size), c.expected);
        EXPECT_LT(grown_, 64u << 20);
    }
}

TEST_F(HostileDocumentTest, ListsTheMarkedDocumentBesideAHugeSparseOne) {
    const SparseFile hostile = DirectoryThroughFortyGigabytes();
    const fs::path huge = dir_.Write("a-huge.doc", hostile.bytes);
    fs::resize_file(huge, hostile.size);
    dir_.Write("b-marked.doc", MarkedFile().bytes);
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        const cli::CommandResult result =
            cli::RunScan({"--not-examined", "--jobs", jobs, dir_.Path().native()});
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.out.starts_with("1\t" + (dir_.Path() / "b-marked.doc").native() + "\t"))
            << result.out;
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1);
        EXPECT_NE(result.err.find("not-examined\tstructure-too-large\t" + huge.native() + "\n"),
                  std::string::npos)
            << result.err;
    }
}

TEST_F(HostileDocumentTest, ReportsADocumentWhoseMemoryCannotBeHadAndGoesOn) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than any limit leaves";
#endif
    // A Word stream of 24 MiB, 8 MiB of it in the file: within the bounds, beyond the memory the
    // search is given below. Spaces throughout make even a search by chunks need it whole, so its
    // memory cannot be had though the budget was set before the limit (by a test before this one).
    std::vector<std::uint8_t> spaces = testing::WordStream(8 << 20, {});
    for (std::size_t at = 6; at < spaces.size(); at += 2) {
        spaces[at] = ' ';
    }
    auto built = MarkedFile(std::move(spaces), 3, 400);
    const auto& placed = built.layout.Stream(u"WordDocument");
    testing::PutLe32(built.bytes,
                     built.layout.DirectoryEntryOffset(placed.directoryEntry) + field::kEntrySize,
                     24 << 20);
    const std::uint64_t size =
        ChainThroughHoles(built.bytes, built.layout, placed.chain.back(), 16 << 11);
    const fs::path huge = dir_.Write("a-huge.doc", built.bytes);
    fs::resize_file(huge, size);
    dir_.Write("b-marked.doc", MarkedFile().bytes);
    const ChildOutcome outcome = RunInChild([&] {
        SearchSinkRecorder sink;
        const bool asExpected =
            LimitMemoryTo(32 << 20) && (SearchFolder(dir_.Path(), sink), true) &&
            sink.RowPaths(dir_.Path()) == std::vector<std::string>{"b-marked.doc"} &&
            sink.notExamined.size() == 1 &&
            sink.notExamined[0] ==
                std::pair{huge, NotExaminedReason(ExaminationLimit::OutOfMemory)};
        return std::string(asExpected ? "as expected" : "not as expected");
    });
    EXPECT_EQ(outcome.text, "as expected");
}

using Patch = std::function<void(Bytes&, const testing::CompoundFileLayout&)>;

// Makes the link after the `link`th sector of the Word stream lead back to its `to`th sector.
Patch StreamCycle(std::size_t link, std::size_t to) {
    return [=](Bytes& b, const testing::CompoundFileLayout& l) {
        const auto& chain = l.Stream(u"WordDocument").chain;
        testing::PutLe32(b, l.FatEntryOffset(chain.at(link)), chain.at(to));
    };
}

struct CycleCase {
    std::string name;
    Patch corrupt;
    MarkingVerdict expected;
};

TEST_F(HostileDocumentTest, GivesDocumentsWhoseChainsCycleAVerdict) {
    const std::vector<CycleCase> cases = {
        {"the Word stream's chain cycles after the first marking", StreamCycle(5, 2),
         MarkingVerdict::Marked},
        {"the Word stream's chain cycles onto its own sector", StreamCycle(0, 0),
         MarkingVerdict::Marked},
        {"the directory's chain cycles",
         [](Bytes& b, const testing::CompoundFileLayout& l) {
             testing::PutLe32(b, l.FatEntryOffset(l.directorySectors.at(0)),
                              l.directorySectors.at(0));
         },
         MarkingVerdict::Marked},
        {"the mini stream's chain cycles and the Word stream lives there",
         [](Bytes& b, const testing::CompoundFileLayout& l) {
             const auto& chain = l.Stream(u"WordDocument").chain;
             testing::PutLe32(b, l.MiniFatEntryOffset(chain.at(1)), chain.at(0));
         },
         MarkingVerdict::Marked},
    };
    for (const CycleCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto built =
            c.name.find("mini") == std::string::npos
                ? MarkedFile()
                : MarkedFile(testing::WordStreamWithText(u"绝密" + std::u16string(200, u'x')));
        c.corrupt(built.bytes, built.layout);
        EXPECT_EQ(CheckMarking(dir_.Write("cycle.doc", built.bytes)), c.expected);
    }
    // The marking in the last sector is never reached once the chain loops back.
    auto built =
        MarkedFile(testing::WordStream(20 * 512, {{19 * 512 + 8, testing::Utf16Le(u"机密")}}));
    StreamCycle(5, 2)(built.bytes, built.layout);
    EXPECT_EQ(CheckMarking(dir_.Write("cycle.doc", built.bytes)), MarkingVerdict::NotMarked);
}

// Reads an open document and cuts its file short after the `cutAfter`th read, as another program
// truncating the file while it is being read would.
class TruncatingSource final : public cfb::ByteSource {
  public:
    TruncatingSource(platform::ExclusiveFile& file, fs::path path, int cutAfter,
                     std::uint64_t cutTo)
        : file_(file), path_(std::move(path)), cutAfter_(cutAfter), cutTo_(cutTo) {}

    std::uint64_t Size() const override { return file_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        const std::size_t got = file_.ReadAt(offset, out);
        if (++reads_ == cutAfter_) {
            fs::resize_file(path_, cutTo_);
        }
        return got;
    }

  private:
    platform::ExclusiveFile& file_;
    fs::path path_;
    int cutAfter_;
    std::uint64_t cutTo_;
    int reads_ = 0;
};

TEST_F(HostileDocumentTest, ReadsAFileCutShortWhileItIsReadWithoutInventingBytes) {
    const auto built = MarkedFile();
    const std::uint64_t streamStart =
        built.layout.SectorOffset(built.layout.Stream(u"WordDocument").chain.at(0));
    cfb::RootStreamReader windowed(ExaminationMemory());
    for (const int cutAfter : {1, 2, 3, 4}) {
        for (const std::uint64_t cutTo :
             {std::uint64_t{0}, std::uint64_t{512}, streamStart + 700}) {
            SCOPED_TRACE("cut to " + std::to_string(cutTo) + " after read " +
                         std::to_string(cutAfter));
            for (const bool useWindows : {false, true}) {
                const fs::path path = dir_.Write("cut.doc", built.bytes);
                const auto file = platform::ExclusiveFile::Open(path).file;
                EXPECT_NE(file, nullptr);
                if (file == nullptr) {
                    continue;
                }
                TruncatingSource source(*file, path, cutAfter, cutTo);
                cfb::StreamCopy read;
                cfb::StreamView view;
                if (useWindows) {
                    view = windowed.Read(source, u"WordDocument");
                } else {
                    read = cfb::ReadRootStream(source, u"WordDocument", ExaminationMemory());
                    view = {.status = read.status, .image = read.image};
                }
                const cfb::StreamReadResult result = view.status.result;
                const std::span<const std::uint8_t> image = view.image;
                if (result != cfb::StreamReadResult::Read) {
                    continue;
                }
                EXPECT_EQ(image.size(), kStream.size());
                if (image.size() != kStream.size()) {
                    continue;
                }
                std::size_t wrong = 0;
                while (wrong < image.size() &&
                       (image[wrong] == kStream[wrong] || image[wrong] == 0)) {
                    ++wrong;
                }
                EXPECT_EQ(wrong, image.size())
                    << "byte " << wrong << " is neither the stream's nor 0";
            }
        }
    }
}

// Changes the files of the folder once it has been listed and before any of them is examined.
class ChangingVisitor final : public TreeVisitor {
  public:
    explicit ChangingVisitor(std::function<void()> change) : change_(std::move(change)) {}

    void FolderListed() override { change_(); }
    void DocumentFound(FoundDocument document) override {
        verdicts.emplace_back(document.path.filename().native(), CheckMarking(document.path));
    }
    bool StopRequested() override { return false; }

    std::vector<std::pair<std::string, MarkingVerdict>> verdicts;

  private:
    std::function<void()> change_;
};

TEST_F(HostileDocumentTest, ExaminesWhatIsThereWhenAFileChangesAfterTheListing) {
    const Bytes marked = MarkedFile().bytes;
    const Bytes plain = testing::WordDocumentWithText(u"公开");
    for (const char* name : {"a-vanishes.doc", "b-becomes-fifo.doc", "c-becomes-folder.doc",
                             "d-shrinks.doc", "e-becomes-marked.doc", "f-becomes-link.doc"}) {
        dir_.Write(name, name[0] == 'e' ? plain : marked);
    }
    const fs::path outside = dir_.Write("../outside-marked.doc", marked);
    const fs::path root = dir_.Path();
    ChangingVisitor visitor([&] {
        fs::remove(root / "a-vanishes.doc");
        fs::remove(root / "b-becomes-fifo.doc");
        mkfifo((root / "b-becomes-fifo.doc").c_str(), 0666);
        fs::remove(root / "c-becomes-folder.doc");
        fs::create_directory(root / "c-becomes-folder.doc");
        fs::resize_file(root / "d-shrinks.doc", 700);
        testing::WriteBytes(root / "e-becomes-marked.doc", marked);
        fs::remove(root / "f-becomes-link.doc");
        fs::create_symlink(outside, root / "f-becomes-link.doc");
    });
    WalkTree(root, DocumentTypes(), visitor);
    fs::remove(outside);
    const std::vector<std::pair<std::string, MarkingVerdict>> expected = {
        {"a-vanishes.doc", MarkingVerdict::NotExamined},
        {"b-becomes-fifo.doc", MarkingVerdict::NotExamined},
        {"c-becomes-folder.doc", MarkingVerdict::NotExamined},
        {"d-shrinks.doc", MarkingVerdict::NotExamined},
        {"e-becomes-marked.doc", MarkingVerdict::Marked},
        {"f-becomes-link.doc", MarkingVerdict::Marked},
    };
    EXPECT_EQ(visitor.verdicts, expected);
}

#if defined(KALVOR_WORD_PACKAGES)

std::string PackageParagraph(std::string_view text) {
    return "<w:p><w:r><w:t>" + std::string(text) + "</w:t></w:r></w:p>";
}

// A Word package, written with holes: `head` at the start and `end` at the end of `size` bytes.
struct SparsePackage {
    Bytes head;
    Bytes end;
    std::uint64_t size = 0;
};

// A marked package whose ZIP64 end records, at the end of a file of `size` bytes (its own size
// when 0), hold what `claim` makes of the directory's real size and place, and a locator that
// places the record `misplaced` bytes after where it is.
SparsePackage WithZip64Claim(
    const std::function<testing::DirectoryClaim(const testing::DirectoryClaim&)>& claim,
    std::uint64_t size = 0, std::uint64_t misplaced = 0) {
    testing::ZipBody body =
        testing::BuildZipBody(testing::WordPackageEntries(PackageParagraph("秘密")));
    const std::uint64_t end =
        std::max<std::uint64_t>(size, body.bytes.size() + testing::kZip64EndRecordsSize);
    const std::uint64_t at = end - testing::kZip64EndRecordsSize;
    return {std::move(body.bytes), testing::Zip64EndRecords(at + misplaced, claim(body.directory)),
            end};
}

struct Zip64ClaimCase {
    std::string name;
    SparsePackage package;
    std::string expected;  // what becomes of the package: "marked", or why it is not examined
};

TEST_F(HostileDocumentTest, GivesPackagesWhoseZip64EndRecordsClaimTooMuchAVerdictInLittleMemory) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than any limit leaves";
#endif
    using Claim = testing::DirectoryClaim;
    const std::vector<Zip64ClaimCase> cases = {
        {"as written", WithZip64Claim([](const Claim& real) { return real; }), "marked"},
        {"a directory of 8 GiB filling a sparse file",
         WithZip64Claim(
             [](const Claim&) {
                 return Claim{(8 * kGiB) / 46, 8 * kGiB, 0};
             },
             8 * kGiB + 4096),
         "package-too-large"},
        {"more entries than the directory has room for", WithZip64Claim([](const Claim& real) {
             return Claim{1ull << 40, real.size, real.offset};
         }),
         "damaged-package"},
        {"a directory running past the end record", WithZip64Claim([](const Claim& real) {
             return Claim{real.entries, real.size + kGiB, real.offset};
         }),
         "damaged-package"},
        {"a locator placing the end record after itself",
         WithZip64Claim([](const Claim& real) { return real; }, 0, 4096), "damaged-package"},
    };
    dir_.Write("b-marked.docx",
               testing::BuildZip(testing::WordPackageEntries(PackageParagraph("机密"))));
    for (const Zip64ClaimCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path hostile = dir_.Write("a-hostile.docx", c.package.head);
        fs::resize_file(hostile, c.package.size);
        std::fstream(hostile, std::ios::in | std::ios::out | std::ios::binary)
            .seekp(static_cast<std::streamoff>(c.package.size - c.package.end.size()))
            .write(reinterpret_cast<const char*>(c.package.end.data()),
                   static_cast<std::streamsize>(c.package.end.size()));
        const ChildOutcome outcome = RunInChild([&] {
            if (!LimitMemoryTo(512 << 20)) {
                return std::string("no limit");
            }
            SearchSinkRecorder sink;
            SearchFolder(dir_.Path(), sink, {.jobs = 2, .types = DocumentTypes::All()});
            std::vector<std::string> rows = sink.RowPaths(dir_.Path());
            if (std::erase(rows, "b-marked.docx") != 1) {
                return std::string("the marked document beside it is not listed");
            }
            if (rows == std::vector<std::string>{"a-hostile.docx"}) {
                return std::string("marked");
            }
            return sink.notExamined.size() == 1
                       ? std::string(report::ReasonToken(sink.notExamined[0].second))
                       : std::string("neither marked nor not examined");
        });
        EXPECT_EQ(outcome.text, c.expected);
    }
}

// `name` spelled `count` ways that all name the same part: letters in either case, capitals
// written as %XX escapes or not, chosen by the bits of a counter.
std::vector<std::string> SpellingsOf(std::string_view name, bool escapes, int count) {
    std::vector<std::string> spellings;
    for (int bits = 0; static_cast<int>(spellings.size()) < count; ++bits) {
        std::string spelling;
        for (std::size_t i = 0; i < name.size(); ++i) {
            const bool capital = (bits >> (i % 31)) & 1 && name[i] >= 'a' && name[i] <= 'z';
            const char c = capital ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
            if (escapes && capital) {
                constexpr char kHex[] = "0123456789ABCDEF";
                spelling += {'%', kHex[(c >> 4) & 0xF], kHex[c & 0xF]};
            } else {
                spelling += c;
            }
        }
        if (std::find(spellings.begin(), spellings.end(), spelling) == spellings.end()) {
            spellings.push_back(spelling);
        }
    }
    return spellings;
}

// About a megabyte of text without a marking, which does not compress far.
std::string LongUnmarkedText() {
    std::string xml;
    for (int i = 0; xml.size() < (1 << 20); ++i) {
        xml += PackageParagraph("第" + std::to_string(i * 7919 % 100003) + "段");
    }
    return xml;
}

// A package relating `targets` as headers of its main part, both the main part and its one header
// holding about a megabyte of text without a marking.
Bytes RelatingHeaders(const std::vector<std::string>& targets) {
    const std::string text = LongUnmarkedText();
    std::vector<testing::ZipEntry> entries = testing::WordPackageEntries(
        text, {{"header", "header1.xml", testing::WordPartXml("hdr", text)}});
    std::vector<std::pair<std::string, std::string>> relationships;
    for (const std::string& target : targets) {
        relationships.emplace_back("header", target);
    }
    entries.back().data = testing::RelationshipsXml(relationships);
    return testing::BuildZip(entries);
}

// A paragraph with an attribute of `bytes` bytes, one start tag long: "x" but for one letter in
// 256, so that it compresses well, yet not as far as a zip bomb.
std::string LongTag(std::size_t bytes) {
    std::string value(bytes, 'x');
    for (std::size_t i = 255; i < bytes; i += 256) {
        value[i] = static_cast<char>('a' + (i * 7919 / 256) % 16);
    }
    return "<w:p w:rsidR=\"" + value + "\"/>" + PackageParagraph("无");
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kSanitizerSlowdown = 10;
#else
constexpr double kSanitizerSlowdown = 1;
#endif

struct CostlyPackageCase {
    std::string name;
    Bytes bytes;  // a package without a marking
};

TEST_F(HostileDocumentTest, ReadsPackagesBuiltToCostTimeInTimeThatGrowsWithTheirSize) {
    const std::vector<CostlyPackageCase> cases = {
        {"a header named 504 ways in letter case",
         RelatingHeaders(SpellingsOf("header1.xml", false, 504))},
        {"a header named 504 ways with capitals escaped",
         RelatingHeaders(SpellingsOf("header1.xml", true, 504))},
        {"the main part named as a header 504 ways",
         RelatingHeaders(SpellingsOf("document.xml", false, 504))},
        {"start tags of 11 MiB in four parts",
         testing::BuildZip(testing::WordPackageEntries(
             LongTag(11 << 20),
             {{"header", "header1.xml", testing::WordPartXml("hdr", LongTag(11 << 20))},
              {"footer", "footer1.xml", testing::WordPartXml("ftr", LongTag(11 << 20))},
              {"footnotes", "footnotes.xml",
               testing::WordPartXml("footnotes", LongTag(11 << 20))}}))},
    };
    cfb::RootStreamReader compound(ExaminationMemory());
    scan::PackageExaminer examiner(compound);
    for (const CostlyPackageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir_.Write("costly.docx", c.bytes);
        const ChildOutcome outcome = RunInChild([&] {
            const Examination got =
                examiner.Examine(path, platform::ListedAs::Unknown, marking::MatchRule::Default);
            return std::string(got.verdict == MarkingVerdict::NotMarked
                                   ? "not marked"
                                   : report::ReasonToken(*got.reason));
        });
        EXPECT_EQ(outcome.text, "not marked");
        // Read once and parsed in linear time, each takes well under half a second; reading a part
        // for each of its names, or parsing a token anew for each chunk of it, takes seconds.
        EXPECT_LT(outcome.cpuSeconds, 1.5 * kSanitizerSlowdown);
    }
}

#endif

}  // namespace
}  // namespace kalvor::scan
