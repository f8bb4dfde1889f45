// Writes a few well-formed documents for the fuzzers to start from, so they begin with every part
// of the formats in use. Compound files: both versions, mini and regular streams, storages, DIFAT
// sectors, chains running backwards, markings that the detector must find or reject, and a piece
// table placing them in 16-bit and 8-bit text, in stories, and outside every piece. Word
// 2007+ packages: stored and deflated parts, related parts, runs, tabs, breaks, deleted text,
// character references, the strict namespace, ZIP64 end records, a part named in several
// spellings beside one that is missing, and the compound files a package name may hold.
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/compound_file_builder.h"
#include "tests/support/package_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_stream.h"
#include "tests/support/word_text_builder.h"

namespace {

using kalvor::testing::CompoundFileSpec;
using kalvor::testing::RelatedPart;
using kalvor::testing::Utf16Le;
using kalvor::testing::WordPackageEntries;
using kalvor::testing::WordPartXml;
using kalvor::testing::WordStream;
using kalvor::testing::WordStreamWithText;

std::vector<std::uint8_t> Filler(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    }
    return bytes;
}

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> Seeds() {
    const std::vector<std::uint8_t> late =
        WordStream(9000, {{0x41, Utf16Le(u"保密")}, {8500, Utf16Le(u"绝 \t密")}});
    return {
        {"marked-v3.doc", kalvor::testing::WordDocumentWithText(u"秘密")},
        {"marked-v4-filler.doc", kalvor::testing::WordDocumentWithText(u"机  \t密", 4)},
        {"unmarked.doc", kalvor::testing::WordDocumentWithText(u"保密 密码 機密 秘\u3000密")},
        {"late-marking-reversed.doc",
         kalvor::testing::BuildCompoundFile(
             {.rootStreams = {{u"WordDocument", late}, {u"1Table", Filler(700)}},
              .rootStorages = {{u"ObjectPool", {{u"\u0001Ole", Filler(90)}}}},
              .reverseChains = true})},
        {"difat-v3.doc", kalvor::testing::BuildCompoundFile(
                             {.rootStreams = {{u"WordDocument", WordStreamWithText(u"文件 绝密")},
                                              {u"Data", Filler(5000)}},
                              .minimumFatSectors = 112})},
        {"pieces.doc",
         kalvor::testing::WordDocumentFile(kalvor::testing::BuildWordStreams(
             {.pieces = {{u"机密★10年\r"},
                         {u"Ref: ", /*compressed=*/true},
                         {.text = u"秘密\x07\x07", .residueBehind = Utf16Le(u"绝密\r")},
                         {u"机密\r", false, kalvor::scan::word::Story::HeadersFooters}},
              .layOrder = {0, 2, 1, 3}}))},
        {"version-byte-0.doc",
         kalvor::testing::BuildCompoundFile(
             {.majorVersion = 4,
              .rootStreams = {{u"WordDocument", WordStreamWithText(u"秘密", 0x00)},
                              {u"SummaryInformation", Filler(4200)}}})},
    };
}

std::vector<std::uint8_t> Package(std::vector<kalvor::testing::ZipEntry> entries, bool deflated) {
    for (kalvor::testing::ZipEntry& entry : entries) {
        entry.deflated = deflated;
    }
    return kalvor::testing::BuildZip(entries);
}

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> PackageSeeds() {
    const std::string runs =
        "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>"
        "<w:r><w:t xml:space=\"preserve\">机 </w:t></w:r><w:proofErr w:type=\"spellStart\"/>"
        "<w:r><w:tab/><w:t>密</w:t></w:r></w:p>";
    const std::string unmarked =
        "<w:p><w:r><w:t>秘</w:t><w:br/><w:t>密</w:t><w:sym w:char=\"F020\"/></w:r></w:p>"
        "<w:p><w:del w:id=\"1\"><w:r><w:delText>绝&#x3000;&#23494;</w:delText></w:r></w:del></w:p>";
    const std::vector<RelatedPart> related = {
        {"header", "header1.xml", WordPartXml("hdr", "<w:p><w:r><w:t>秘密</w:t></w:r></w:p>")},
        {"footnotes", "footnotes.xml",
         WordPartXml("footnotes",
                     "<w:footnote w:id=\"1\"><w:p><w:r><w:t>注</w:t></w:r></w:p>"
                     "</w:footnote>")},
        {"comments", "comments.xml", WordPartXml("comments", "")}};
    std::vector<kalvor::testing::ZipEntry> spellings = WordPackageEntries(unmarked, related);
    spellings.back().data = kalvor::testing::RelationshipsXml({{"header", "header1.xml"},
                                                               {"header", "HEADER1.xml"},
                                                               {"header", "%68eader1.xml"},
                                                               {"footnotes", "missing.xml"}});
    std::vector<kalvor::testing::ZipEntry> strict = WordPackageEntries(runs);
    for (kalvor::testing::ZipEntry& entry : strict) {
        for (const auto& [from, to] :
             {std::pair<std::string, std::string>{
                  "http://schemas.openxmlformats.org/wordprocessingml/2006/main",
                  "http://purl.oclc.org/ooxml/wordprocessingml/main"},
              {"http://schemas.openxmlformats.org/officeDocument/2006/relationships/",
               "http://purl.oclc.org/ooxml/officeDocument/relationships/"}}) {
            if (const std::size_t at = entry.data.find(from); at != std::string::npos) {
                entry.data.replace(at, from.size(), to);
            }
        }
    }
    return {
        {"runs-deflated.docx", Package(WordPackageEntries(runs), true)},
        {"runs-stored.docx", Package(WordPackageEntries(runs), false)},
        {"unmarked-body.docx", Package(WordPackageEntries(unmarked), true)},
        {"related-parts.docx", Package(WordPackageEntries(unmarked, related), true)},
        {"strict.docx", Package(strict, false)},
        {"zip64.docx", kalvor::testing::BuildZip64(WordPackageEntries(unmarked, related))},
        {"spellings-and-missing-part.docx", Package(spellings, true)},
        {"renamed.doc.docx", kalvor::testing::WordDocumentWithText(u"秘密")},
        {"encrypted.docx",
         kalvor::testing::BuildCompoundFile({.rootStreams = {{u"EncryptionInfo", Filler(200)},
                                                             {u"EncryptedPackage", Filler(900)}}})},
    };
}

void WriteSeeds(const std::filesystem::path& folder,
                const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& seeds) {
    std::filesystem::create_directories(folder);
    for (const auto& [name, bytes] : seeds) {
        kalvor::testing::WriteBytes(folder / name, bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: kalvor-fuzz-seeds DOCUMENT-FOLDER [PACKAGE-FOLDER]\n";
        return 2;
    }
    WriteSeeds(argv[1], Seeds());
    if (argc == 3) {
        WriteSeeds(argv[2], PackageSeeds());
    }
    return 0;
}
