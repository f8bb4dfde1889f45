#include "scan/evidence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "scan/folder_search.h"
#include "tests/support/compound_file_builder.h"
#if KALVOR_WORD_PACKAGES
#include "tests/support/package_writer.h"
#endif
#include "tests/support/search_sink_recorder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_stream.h"
#include "tests/support/word_text_builder.h"

namespace kalvor::scan {

void PrintTo(const EvidenceHit& hit, std::ostream* out) {
    const auto utf8 = [](const std::u16string& text) {
        std::string bytes;
        for (const char16_t unit : text) {
            if (unit < 0x80) {
                bytes += static_cast<char>(unit);
            } else if (unit < 0x800) {
                bytes += static_cast<char>(0xC0 | (unit >> 6));
                bytes += static_cast<char>(0x80 | (unit & 0x3F));
            } else {
                bytes += static_cast<char>(0xE0 | (unit >> 12));
                bytes += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
                bytes += static_cast<char>(0x80 | (unit & 0x3F));
            }
        }
        return bytes;
    };
    *out << "{grade " << static_cast<int>(hit.grade) << ", place " << static_cast<int>(hit.place)
         << ", paragraph " << (hit.paragraph ? std::to_string(*hit.paragraph) : "-") << ", \""
         << utf8(hit.before) << "[" << utf8(hit.marking) << "]" << utf8(hit.after) << "\"}";
}

namespace {

namespace fs = std::filesystem;
using testing::TextPiece;
using testing::WordStreams;
using testing::WordTextSpec;
using word::Story;
using Bytes = std::vector<std::uint8_t>;
using Grade = EvidenceGrade;
using Place = EvidencePlace;

EvidenceHit Hit(Grade grade, Place place, std::optional<std::uint32_t> paragraph,
                std::u16string before, std::u16string marking, std::u16string after) {
    return {.marking = std::move(marking),
            .before = std::move(before),
            .after = std::move(after),
            .place = place,
            .paragraph = paragraph,
            .grade = grade};
}

struct DocumentCase {
    std::string name;  // of the file searched; a file of the test data when `bytes` is empty
    Bytes bytes;
    std::vector<EvidenceHit> expected;  // strongest first, then in the order found
};

Bytes Document(
    const WordTextSpec& spec,
    const std::function<void(WordStreams&)>& damage = [](WordStreams&) {}) {
    WordStreams streams = testing::BuildWordStreams(spec);
    damage(streams);
    return testing::WordDocumentFile(streams);
}

// Both table streams: "1Table" holding the piece table, as the block says, "0Table" garbage.
Bytes InTableOne(WordTextSpec spec) {
    spec.tableOne = true;
    const WordStreams streams = testing::BuildWordStreams(spec);
    return testing::BuildCompoundFile({.rootStreams = {{u"WordDocument", streams.wordDocument},
                                                       {u"0Table", Bytes(256, 0x07)},
                                                       {u"1Table", streams.table}}});
}

const WordTextSpec kHeadMarked = {.pieces = {{u"机密★10年\r正文\r"}}};
// A document whose table cannot be read: its marking stands as the bytes show it, unplaced.
const std::vector<EvidenceHit> kUnplaced = {
    Hit(Grade::Unknown, Place::Unknown, {}, u"", u"机密", u"★10年")};

std::vector<DocumentCase> Cases() {
    std::vector<DocumentCase> cases = {
        // Made with LibreOffice from ODF, saved as Word 97-2003 and as Word 2007+.
        {"marked-at-head.doc", {}, {Hit(Grade::Marking, Place::Body, 0, u"", u"机 密", u"")}},
        {"marked-at-head-period.doc",
         {},
         {Hit(Grade::Marking, Place::Body, 1, u"", u"机密", u"★10年")}},
        {"marked-at-header.doc",
         {},
         {Hit(Grade::Marking, Place::HeaderFooter, {}, u"", u"秘密", u"")}},
        {"marked-at-header.docx",
         {},
         {Hit(Grade::Marking, Place::HeaderFooter, {}, u"", u"秘密", u"")}},
        {"marked-header.docx",
         {},
         {Hit(Grade::Marking, Place::HeaderFooter, {}, u"", u"绝密", u" ★ 10年")}},
        {"marked-at-table-head.doc",
         {},
         {Hit(Grade::Marking, Place::Table, 0, u"", u"机密", u"★1年")}},
        {"marked-at-table-head.docx",
         {},
         {Hit(Grade::Marking, Place::Table, 0, u"", u"机密", u"★1年")}},
        {"marked-in-body-mention.doc",
         {},
         {Hit(Grade::Mention, Place::Body, 1, u"乙方应保守公司商业", u"秘密", u"，不得泄露。")}},
        {"marked-jimi-spaced.doc",
         {},
         {Hit(Grade::Mention, Place::Body, 0, u"会议纪要（", u"机 密", u"），不得外传。")}},
        {"marked-juemi.doc",
         {},
         {Hit(Grade::Mention, Place::Body, 60, u"此件", u"绝密", u"，阅后收回。")}},
        {"marked-runs.docx", {}, {Hit(Grade::Mention, Place::Body, 0, u"等级：", u"机 密", u"")}},
        {"marked-in-footnote.doc",
         {},
         {Hit(Grade::Mention, Place::Footnote, {}, u"  附件涉及", u"机密", u"事项，另行传达。")}},
        {"marked-in-footnote.docx",
         {},
         {Hit(Grade::Mention, Place::Footnote, {}, u" 附件涉及", u"机密", u"事项，另行传达。")}},
        {"marked-in-comment.doc",
         {},
         {Hit(Grade::Mention, Place::Comment, {}, u" 此段涉及", u"绝密", u"信息")}},
        {"marked-in-comment.docx",
         {},
         {Hit(Grade::Mention, Place::Comment, {}, u"此段涉及", u"绝密", u"信息")}},
        {"marked-in-text-box.doc",
         {},
         {Hit(Grade::Mention, Place::TextBox, {}, u"", u"机密", u"")}},
        {"marked-in-text-box.docx",
         {},
         {Hit(Grade::Mention, Place::TextBox, {}, u"", u"机密", u"")}},
        // Two empty paragraphs above the marking count for nothing; a level alone further down is
        // a mention.
        {"marked-at-head-and-in-body.doc",
         {},
         {Hit(Grade::Marking, Place::Body, 0, u"", u"机密", u"★10年"),
          Hit(Grade::Mention, Place::Body, 3, u"本通知及附件属于公司商业", u"秘密",
              u"，请妥善保管。"),
          Hit(Grade::Mention, Place::Body, 4, u"", u"机密", u"")}},
        {"marked-at-head-and-in-body.docx",
         {},
         {Hit(Grade::Marking, Place::Body, 0, u"", u"机密", u"★10年"),
          Hit(Grade::Mention, Place::Body, 3, u"本通知及附件属于公司商业", u"秘密",
              u"，请妥善保管。"),
          Hit(Grade::Mention, Place::Body, 4, u"", u"机密", u"")}},
        {"marked-deleted.docx",
         {},
         {Hit(Grade::Residue, Place::Residue, {}, u"开头", u"绝密", u"结尾")}},

        // Built here. 16-bit and 8-bit pieces in turn, the 8-bit ones mapped as code page 1252,
        // the third starting at an odd offset of the stream; paragraphs and context read across
        // them, context cut to 20 characters each side.
        {"pieces.doc",
         Document({.pieces = {{u"机密\r"},
                              {u"\x93Ref\x94 :", /*compressed=*/true},
                              {u"秘密文件"},
                              {u"\rABCDEFGHIJKLMNOPQRSTUVWXYZ", /*compressed=*/true},
                              {u"秘密abcdefghijklmnopqrstuvwxyz\r"},
                              {u"x\r", /*compressed=*/true},
                              {u"y\r绝密"}}}),
         {Hit(Grade::Marking, Place::Body, 0, u"", u"机密", u""),
          Hit(Grade::Mention, Place::Body, 1, u"“Ref” :", u"秘密", u"文件"),
          Hit(Grade::Mention, Place::Body, 2, u"GHIJKLMNOPQRSTUVWXYZ", u"秘密",
              u"abcdefghijklmnopqrst"),
          Hit(Grade::Mention, Place::Body, 5, u"", u"绝密", u"")}},
        {"stories.doc",
         Document({.pieces = {{u"正文\r"},
                              {u"脚注\r", false, Story::Footnotes},
                              {u"机密\r", false, Story::HeadersFooters},
                              {u"批注\r", false, Story::Comments},
                              {u"见秘密附件\r", false, Story::Endnotes},
                              {u"框\r", false, Story::TextBoxes},
                              {u"绝密\r", false, Story::HeaderTextBoxes}}}),
         {Hit(Grade::Marking, Place::HeaderFooter, {}, u"", u"机密", u""),
          Hit(Grade::Mention, Place::Endnote, {}, u"见", u"秘密", u"附件"),
          Hit(Grade::Mention, Place::TextBox, {}, u"", u"绝密", u"")}},
        // Bytes no piece holds, as a fast save leaves them: here the 密 behind a piece's last
        // character, before half a character.
        {"residue.doc",
         Document(
             {.pieces = {{.text = u"正文机", .residueBehind = testing::Utf16Le(u"密★5\xD800年\r")},
                         {u"\r结尾\r"}}}),
         {Hit(Grade::Residue, Place::Residue, {}, u"正文", u"机密", u"★5\uFFFD年")}},
        // A marking's halves in two pieces the text does not put side by side: in the bytes, not
        // in what a reader sees.
        {"split-marking.doc",
         Document({.pieces = {{u"开头\r"}, {u"机"}, {u"中间\r"}, {u"密文\r"}},
                   .layOrder = {0, 1, 3, 2}}),
         {Hit(Grade::Residue, Place::Residue, {}, u"", u"机密", u"文")}},
        {"table-one.doc",
         InTableOne(kHeadMarked),
         {Hit(Grade::Marking, Place::Body, 0, u"", u"机密", u"★10年")}},
        // Damaged tables: the marking is told, unplaced.
        {"clx-beyond-table.doc",
         Document(kHeadMarked,
                  [](WordStreams& streams) {
                      testing::PutLe32(streams.wordDocument, testing::kClxOffsetField,
                                       static_cast<std::uint32_t>(streams.table.size() - 4));
                  }),
         kUnplaced},
        {"clx-longer-than-table.doc",
         Document(kHeadMarked,
                  [](WordStreams& streams) {
                      testing::PutLe32(streams.wordDocument, testing::kClxLengthField, 0xFFFFFFF0);
                  }),
         kUnplaced},
        {"clx-garbage.doc",
         Document(kHeadMarked,
                  [](WordStreams& streams) {
                      std::fill(streams.table.begin() + testing::kClxStart, streams.table.end(),
                                0x07);
                  }),
         kUnplaced},
        {"pieces-not-fitting.doc",
         Document(kHeadMarked,
                  [](WordStreams& streams) {
                      const std::size_t length = testing::kPieceTableStart + 1;
                      testing::PutLe32(streams.table, length,
                                       testing::GetLe32(streams.table, length) - 1);
                  }),
         kUnplaced},
        {"positions-falling.doc",
         Document(kHeadMarked,
                  [](WordStreams& streams) {
                      testing::PutLe32(streams.table, testing::kPieceTableStart + 5 + 4, 0);
                  }),
         kUnplaced},
        {"piece-beyond-stream.doc",
         Document(kHeadMarked,
                  [](WordStreams& streams) {
                      testing::PutLe32(streams.table, testing::kPieceTableStart + 5 + 8 + 2,
                                       0x3FFFFF00);
                  }),
         kUnplaced},
        {"no-table-stream.doc",
         testing::BuildWordDocument(testing::BuildWordStreams(kHeadMarked).wordDocument),
         kUnplaced},
    };
#if KALVOR_WORD_PACKAGES
    // Text no paragraph holds still counts for the verdict, so it is evidence too.
    cases.push_back({"text-outside-paragraphs.docx",
                     testing::BuildZip(testing::WordPackageEntries(
                         "<w:r><w:t>前言</w:t></w:r><w:p><w:r><w:t>正文</w:t></w:r></w:p>"
                         "<w:r><w:t>绝密</w:t></w:r>")),
                     {Hit(Grade::Mention, Place::Body, {}, u"", u"绝密", u"")}});
#else
    std::erase_if(cases, [](const DocumentCase& c) { return c.name.ends_with(".docx"); });
#endif
    return cases;
}

// Every document is listed; with evidence asked for, each with the hits a reader of it finds,
// graded and placed; without, with none, at no cost.
TEST(Evidence, PlacesAndGradesEveryMarkingOfEveryListedDocument) {
    const testing::TempDir dir;
    const std::vector<DocumentCase> cases = Cases();
    for (const DocumentCase& c : cases) {
        if (c.bytes.empty()) {
            std::ifstream in(fs::path(KALVOR_TEST_DATA_DIR) / c.name, std::ios::binary);
            dir.Write(c.name, Bytes{std::istreambuf_iterator<char>(in), {}});
        } else {
            dir.Write(c.name, c.bytes);
        }
    }
    SearchSinkRecorder withEvidence;
    SearchFolder(dir.Path(), withEvidence,
                 {.jobs = 2, .types = DocumentTypes::All(), .evidence = true});
    std::map<std::string, std::vector<EvidenceHit>> found;
    for (const ResultRow& row : withEvidence.rows) {
        found[row.path.filename().string()] = row.evidence;
    }
    for (const DocumentCase& c : cases) {
        EXPECT_EQ(found[c.name], c.expected) << c.name;
    }

    SearchSinkRecorder plain;
    SearchFolder(dir.Path(), plain, {.jobs = 2, .types = DocumentTypes::All()});
    EXPECT_EQ(plain.RowPaths(dir.Path()), withEvidence.RowPaths(dir.Path()));
    EXPECT_TRUE(std::all_of(plain.rows.begin(), plain.rows.end(),
                            [](const ResultRow& row) { return row.evidence.empty(); }));
}

}  // namespace
}  // namespace kalvor::scan
