#include "scan/formats/word_package.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "scan/examination_memory.h"
#include "scan/folder_search.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/package_writer.h"
#include "tests/support/search_sink_recorder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_stream.h"

namespace kalvor::scan {
namespace {

using marking::MatchRule;
using testing::BuildZip;
using testing::RelatedPart;
using testing::WordPackageEntries;
using testing::WordPartXml;
using Bytes = std::vector<std::uint8_t>;

constexpr Examination kMarked{MarkingVerdict::Marked, std::nullopt};
constexpr Examination kNotMarked{MarkingVerdict::NotMarked, std::nullopt};

Examination NotExamined(NotExaminedReason reason) {
    return {MarkingVerdict::NotExamined, reason};
}

Bytes Package(std::string_view bodyXml, const std::vector<RelatedPart>& related = {}) {
    return BuildZip(WordPackageEntries(bodyXml, related));
}

// A paragraph of one run holding `text`, spaces kept.
std::string Paragraph(std::string_view text) {
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + std::string(text) + "</w:t></w:r></w:p>";
}

Bytes Truncated(Bytes bytes, std::size_t dropped) {
    bytes.resize(bytes.size() - dropped);
    return bytes;
}

Bytes WithoutMainPart() {
    std::vector<testing::ZipEntry> entries = WordPackageEntries(Paragraph("秘密"));
    std::erase_if(entries, [](const auto& entry) { return entry.name == "word/document.xml"; });
    return BuildZip(entries);
}

Bytes WithWrongChecksum() {
    std::vector<testing::ZipEntry> entries = WordPackageEntries(Paragraph("无标志"));
    entries[2].wrongChecksum = true;
    return BuildZip(entries);
}

// A body that inflates past any real document's ratio: 64 MiB of spaces in one text element.
Bytes ZipBomb() {
    return Package("<w:p><w:r><w:t>" + std::string(64 * 1024 * 1024, ' ') + "</w:t></w:r></w:p>");
}

Bytes EncryptedPackage() {
    return testing::BuildCompoundFile({.rootStreams = {{u"EncryptionInfo", Bytes(200, 4)},
                                                       {u"EncryptedPackage", Bytes(5000, 9)}}});
}

struct PackageCase {
    const char* name;
    Bytes bytes;
    MatchRule rule;
    Examination expected;
};

// Examines each case's bytes as a .docx and compares the verdict and reason.
void ExpectExaminations(const std::vector<PackageCase>& cases) {
    const testing::TempDir dir;
    cfb::RootStreamReader compound{ExaminationMemory()};
    PackageExaminer examiner(compound);
    for (const PackageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Examination got = examiner.Examine(dir.Write("document.docx", c.bytes),
                                                 platform::ListedAs::Unknown, c.rule);
        EXPECT_EQ(got.verdict, c.expected.verdict);
        EXPECT_EQ(got.reason, c.expected.reason);
    }
}

TEST(PackageExaminer, FindsMarkingsInTheTextOfWordPackagesAndGivesReasonsForTheRest) {
    const std::string header = WordPartXml("hdr", Paragraph("机 密"));
    const std::vector<PackageCase> cases = {
        {"one run", Package(Paragraph("文件绝密")), MatchRule::Default, kMarked},
        {"across runs, markup between",
         Package("<w:p><w:r><w:t>机</w:t></w:r><w:proofErr w:type=\"spellStart\"/>"
                 "<w:bookmarkStart w:id=\"0\" w:name=\"a\"/><w:r><w:rPr><w:b/></w:rPr>"
                 "<w:t>密</w:t></w:r></w:p>"),
         MatchRule::Default, kMarked},
        {"tab element and spaces between",
         Package("<w:p><w:r><w:t xml:space=\"preserve\">秘 </w:t><w:tab/>"
                 "<w:t xml:space=\"preserve\"> 密</w:t></w:r></w:p>"),
         MatchRule::Default, kMarked},
        {"character references", Package(Paragraph("&#x79D8;&#23494;")), MatchRule::Default,
         kMarked},
        {"in a header", Package(Paragraph("无"), {{"header", "header1.xml", header}}),
         MatchRule::Default, kMarked},
        {"in deleted text",
         Package("<w:p><w:del w:id=\"1\" w:author=\"a\"><w:r><w:delText>绝密</w:delText></w:r>"
                 "</w:del></w:p>"),
         MatchRule::Default, kMarked},
        {"across paragraphs", Package(Paragraph("秘") + Paragraph("密")), MatchRule::Default,
         kNotMarked},
        {"a line break between", Package("<w:p><w:r><w:t>秘</w:t><w:br/><w:t>密</w:t></w:r></w:p>"),
         MatchRule::Default, kNotMarked},
        {"a field's instructions are no text",
         Package("<w:p><w:r><w:instrText>秘密</w:instrText></w:r></w:p>"), MatchRule::Default,
         kNotMarked},
        {"U+3000 between", Package(Paragraph("机\u3000密")), MatchRule::Default, kNotMarked},
        {"U+3000 between, wide rule", Package(Paragraph("机\u3000密")), MatchRule::Wide, kMarked},
        {"zip bomb", ZipBomb(), MatchRule::Default, NotExamined(PackageRefusal::TooLarge)},
        {"encrypted package", EncryptedPackage(), MatchRule::Default,
         NotExamined(PackageRefusal::Encrypted)},
        {"truncated zip", Truncated(Package(Paragraph("秘密")), 30), MatchRule::Default,
         NotExamined(PackageRefusal::Damaged)},
        {"wrong checksum", WithWrongChecksum(), MatchRule::Default,
         NotExamined(PackageRefusal::Damaged)},
        {"document type declaration",
         BuildZip({{.name = "_rels/.rels", .data = WordPackageEntries("")[1].data},
                   {.name = "word/document.xml",
                    .data = "<!DOCTYPE d [<!ENTITY e \"秘密\">]>" + WordPartXml("document", "")}}),
         MatchRule::Default, NotExamined(PackageRefusal::Damaged)},
        {"missing main part", WithoutMainPart(), MatchRule::Default,
         NotExamined(PackageRefusal::NoMainPart)},
        {"renamed .doc", testing::WordDocumentWithText(u"秘密"), MatchRule::Default, kMarked},
        {"plain text", {'P', 'K', '?'}, MatchRule::Default, NotExamined(PackageRefusal::Damaged)},
        {"neither zip nor compound file",
         {'{', '\\', 'r', 't', 'f'},
         MatchRule::Default,
         NotExamined(PackageRefusal::NotPackage)},
    };
    ExpectExaminations(cases);
}

// A package whose main part holds `bodyXml`, holding `parts` beside it and relating the parts
// named in `relationships` (type, target) to the main part, whether the package holds them or not.
Bytes PackageRelating(std::string_view bodyXml, const std::vector<RelatedPart>& parts,
                      const std::vector<std::pair<std::string, std::string>>& relationships) {
    std::vector<testing::ZipEntry> entries = WordPackageEntries(bodyXml, parts);
    std::erase_if(entries, [](const auto& entry) { return entry.name.ends_with(".xml.rels"); });
    entries.push_back(
        {.name = "word/_rels/document.xml.rels", .data = testing::RelationshipsXml(relationships)});
    return BuildZip(entries);
}

std::string Header(std::string_view text) {
    return WordPartXml("hdr", Paragraph(text));
}

// A package whose main part says nothing, with `related` parts, holding `extra` entries as well.
Bytes PackageHolding(const std::vector<RelatedPart>& related,
                     const std::vector<testing::ZipEntry>& extra) {
    std::vector<testing::ZipEntry> entries = WordPackageEntries(Paragraph("无"), related);
    entries.insert(entries.end(), extra.begin(), extra.end());
    return BuildZip(entries);
}

TEST(PackageExaminer, CallsAPackageDamagedWhenTwoOfItsEntriesHoldOnePart) {
    const std::string marked = Header("绝密");
    const std::vector<PackageCase> cases = {
        {"a part name twice, the second marked",
         PackageHolding(
             {}, {{.name = "word/document.xml",
                   .data = WordPartXml("document", "<w:body>" + Paragraph("秘密") + "</w:body>")}}),
         MatchRule::Default, NotExamined(PackageRefusal::Damaged)},
        {"a related part under two names that differ in letter case",
         PackageHolding({{"header", "header1.xml", Header("无")}},
                        {{.name = "word/HEADER1.xml", .data = marked}}),
         MatchRule::Default, NotExamined(PackageRefusal::Damaged)},
        {"the package's relationships under two names",
         PackageHolding({}, {{.name = "_RELS/.rels", .data = WordPackageEntries("")[1].data}}),
         MatchRule::Default, NotExamined(PackageRefusal::Damaged)},
        {"two headers whose names differ in more than case",
         Package(Paragraph("无"),
                 {{"header", "header1.xml", Header("无")}, {"header", "header2.xml", marked}}),
         MatchRule::Default, kMarked},
    };
    ExpectExaminations(cases);
}

TEST(PackageExaminer, ListsAMarkingInAnyPartBesidePartsThatAreMissingOrDamaged) {
    const std::string unreadable =
        "<w:hdr xmlns:w=\"http://schemas.openxmlformats.org/"
        "wordprocessingml/2006/main\"><w:p>";
    const std::vector<PackageCase> cases = {
        {"a marked header beside a missing footnotes part",
         PackageRelating(Paragraph("无"), {{"header", "header1.xml", Header("秘 密")}},
                         {{"footnotes", "footnotes.xml"}, {"header", "header1.xml"}}),
         MatchRule::Default, kMarked},
        {"an unmarked header beside a missing footnotes part",
         PackageRelating(Paragraph("无"), {{"header", "header1.xml", Header("秘 书")}},
                         {{"footnotes", "footnotes.xml"}, {"header", "header1.xml"}}),
         MatchRule::Default, NotExamined(PackageRefusal::Damaged)},
        {"a malformed header before a marked footer",
         Package(Paragraph("无"),
                 {{"header", "header1.xml", unreadable},
                  {"footer", "footer1.xml", WordPartXml("ftr", Paragraph("机密"))}}),
         MatchRule::Default, kMarked},
        {"a malformed header before an unmarked footer",
         Package(Paragraph("无"), {{"header", "header1.xml", unreadable},
                                   {"footer", "footer1.xml", WordPartXml("ftr", Paragraph("机"))}}),
         MatchRule::Default, NotExamined(PackageRefusal::Damaged)},
        {"a malformed main part and a marked header", BuildZip([&] {
             std::vector<testing::ZipEntry> entries =
                 WordPackageEntries(Paragraph("无"), {{"header", "header1.xml", Header("绝密")}});
             entries[2].data.resize(entries[2].data.size() - 12);
             return entries;
         }()),
         MatchRule::Default, kMarked},
    };
    ExpectExaminations(cases);
}

// Documents a word processor wrote, not this writer: "marked-" ones carry a marking under either
// rule, "wide-" ones under the wider rule only, "unmarked-" ones under neither.
TEST(PackageExaminer, FindsWhatAWordProcessorWroteUnderEachRule) {
    namespace fs = std::filesystem;
    const testing::TempDir dir;
    std::vector<std::string> marked;
    std::vector<std::string> wide;
    std::vector<std::string> unmarked;
    for (const fs::directory_entry& entry : fs::directory_iterator(KALVOR_TEST_DATA_DIR)) {
        const std::string name = entry.path().filename().string();
        fs::copy_file(entry.path(), dir.Path() / name);
        fs::permissions(dir.Path() / name, fs::perms::owner_write, fs::perm_options::add);
        (name.starts_with("marked-") ? marked
         : name.starts_with("wide-") ? wide
                                     : unmarked)
            .push_back(name);
    }
    ASSERT_FALSE(wide.empty());
    ASSERT_FALSE(unmarked.empty());
    std::sort(marked.begin(), marked.end());
    std::vector<std::string> markedOrWide = marked;
    markedOrWide.insert(markedOrWide.end(), wide.begin(), wide.end());
    std::sort(markedOrWide.begin(), markedOrWide.end());
    for (const auto& [rule, expected] :
         {std::pair{MatchRule::Default, marked}, std::pair{MatchRule::Wide, markedOrWide}}) {
        SearchSinkRecorder sink;
        SearchFolder(dir.Path(), sink, {.jobs = 2, .types = DocumentTypes::All(), .match = rule});
        std::vector<std::string> rows = sink.RowPaths(dir.Path());
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, expected);
        EXPECT_EQ(sink.notExamined.size(), 0U);
    }
}

}  // namespace
}  // namespace kalvor::scan
