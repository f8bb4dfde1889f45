#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cli/report_lines.h"
#include "report/byte_text.h"
#include "report/escaped_field.h"
#include "report/json_text.h"
#include "tests/support/scan_command_runner.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"
#include "tests/support/word_stream.h"

namespace kalvor::cli {
namespace {

namespace fs = std::filesystem;

// What a script does with a field: \\ \t \n \r and \xNN back to bytes.
std::string Unescape(std::string_view field) {
    std::string bytes;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            bytes += field[i];
            continue;
        }
        const char kind = field.at(++i);
        if (kind == 'x') {
            bytes += static_cast<char>(std::stoi(std::string(field.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else if (kind == 'u') {
            const int codePoint = std::stoi(std::string(field.substr(i + 1, 4)), nullptr, 16);
            bytes += codePoint < 0x800
                         ? std::string{static_cast<char>(0xC0 | (codePoint >> 6))}
                         : std::string{static_cast<char>(0xE0 | (codePoint >> 12)),
                                       static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F))};
            bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
            i += 4;
        } else {
            bytes += kind == 't' ? '\t' : kind == 'n' ? '\n' : kind == 'r' ? '\r' : kind;
        }
    }
    return bytes;
}

TEST(ScanOutput, EscapesOnlyWhatWouldBreakALineOrIsNotUtf8) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/home/a/report.doc", "/home/a/report.doc"},
        {"/共享/机密 文件.doc", "/共享/机密 文件.doc"},
        {"a\tb", "a\\tb"},
        {"a\nb\r", "a\\nb\\r"},
        {"back\\slash", "back\\\\slash"},
        {"\x01\x1f\x7f", "\\x01\\x1f\\x7f"},
        {"\xff\xfe.doc", "\\xff\\xfe.doc"},
        {"cut \xe6\x9c", "cut \\xe6\\x9c"},
        {"overlong \xc0\xaf", "overlong \\xc0\\xaf"},
        {"surrogate \xed\xa0\x80", "surrogate \\xed\\xa0\\x80"},
        {"nel\xc2\x85", "nel\\u0085"},
        {"line\xe2\x80\xa8para\xe2\x80\xa9", "line\\u2028para\\u2029"},
        {"other C1 \xc2\x80, U+2027 \xe2\x80\xa7", "other C1 \xc2\x80, U+2027 \xe2\x80\xa7"},
    };
    for (const auto& [bytes, escaped] : cases) {
        EXPECT_EQ(report::EscapeField(bytes), escaped);
    }
}

TEST(ScanOutput, EscapedFieldsGiveBackTheExactBytes) {
    std::mt19937 random(7);
    const std::vector<std::string> alphabet = {
        "a",    "b",    "\\",       "\t",           "\n",           "\r",
        "\x01", "\x7f", "\xc3\xa9", "\xe6\x9c",     "\xba",         "\xff",
        "\x80", " ",    "\xc2\x85", "\xe2\x80\xa8", "\xe2\x80\xa9", "\xe2\x80"};
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        for (int i = static_cast<int>(random() % 12); i > 0; --i) {
            bytes += alphabet[random() % alphabet.size()];
        }
        const std::string escaped = report::EscapeField(bytes);
        ASSERT_EQ(Unescape(escaped), bytes) << escaped;
        ASSERT_TRUE(report::IsValidUtf8(escaped)) << escaped;
        for (const char* lineBreak :
             {"\t", "\n", "\r", "\xc2\x85", "\xe2\x80\xa8", "\xe2\x80\xa9"}) {
            ASSERT_EQ(escaped.find(lineBreak), std::string::npos) << escaped;
        }
    }
}

TEST(ScanOutput, MakesJsonStringsOfAnyBytes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain", "\"plain\""},
        {"机密", "\"机密\""},
        {"q\"b\\", "\"q\\\"b\\\\\""},
        {"t\tn\nr\r", "\"t\\tn\\nr\\r\""},
        {"\x01\x1f", "\"\\u0001\\u001f\""},
        {"\xff.doc", "\"\xef\xbf\xbd.doc\""},
        {"\xc2\x85\xe2\x80\xa8\xe2\x80\xa9", "\"\\u0085\\u2028\\u2029\""},
    };
    for (const auto& [text, json] : cases) {
        EXPECT_EQ(report::JsonString(text), json);
    }
    EXPECT_EQ(report::HexBytes(std::string("\xff\x00"
                                           "a",
                                           3)),
              "ff0061");
}

TEST(ScanOutput, WritesRowsAndNotesInEitherFormat) {
    scan::ResultRow row;
    row.path = "/s/a\tb\xff.doc";
    row.size = 1536;
    row.creationTime = 1204679222;                                 // 2008-03-05 09:07:02 here
    row.lastWriteTime = std::numeric_limits<std::int64_t>::max();  // no local time can show it
    EXPECT_EQ(WriterFor(OutputFormat::Text)->Row(2, row),
              "3\t/s/a\\tb\\xff.doc\t1536\t2008-03-05 09:07:02\t\n");
    EXPECT_EQ(WriterFor(OutputFormat::Json)->Row(2, row),
              "{\"number\":3,\"path\":\"/s/a\\tb\xef\xbf\xbd.doc\",\"path_bytes\":"
              "\"2f732f610962ff2e646f63\",\"size\":1536,\"created\":\"2008-03-05 09:07:02\","
              "\"modified\":\"\"}\n");
    row.path = "/s/plain.doc";
    EXPECT_EQ(WriterFor(OutputFormat::Json)->Row(0, row).find("path_bytes"), std::string::npos);
    EXPECT_EQ(WriterFor(OutputFormat::Text)->NotExamined("/s/x\n.doc", scan::FileRefusal::Locked),
              "not-examined\tlocked\t/s/x\\n.doc\n");
    EXPECT_EQ(WriterFor(OutputFormat::Json)->NotExamined("/s/x.doc", scan::FileRefusal::Locked),
              "{\"kind\":\"not-examined\",\"reason\":\"locked\",\"path\":\"/s/x.doc\"}\n");
    EXPECT_EQ(
        WriterFor(OutputFormat::Text)->FolderNotListed("/s/\\", scan::FolderNotListedReason::Gone),
        "folder-not-listed\t/s/\\\\\n");
    EXPECT_EQ(WriterFor(OutputFormat::Json)
                  ->FolderNotListed("/s/\xfe", scan::FolderNotListedReason::Gone),
              "{\"kind\":\"folder-not-listed\",\"reason\":\"gone\",\"path\":\"/s/\xef\xbf\xbd\","
              "\"path_bytes\":\"2f732ffe\"}\n");
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos;
         start = end + 1) {
        parts.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) {
        parts.push_back(text.substr(start));
    }
    return parts;
}

class ScanOutputCommand : public ::testing::Test {
  protected:
    ScanOutputCommand() {
        for (const std::string& name : kNames) {
            paths_.insert(dir_.Write(name, testing::WordDocumentWithText(u"秘密")).native());
        }
    }

    const std::vector<std::string> kNames = {"plain.doc",
                                             "tab\there.doc",
                                             "line\nbreak.doc",
                                             "cr\r.doc",
                                             "back\\slash.doc",
                                             "bad\xff\xfe.doc",
                                             "机密.doc",
                                             "comma, \"quoted\".doc",
                                             "crlf\r\n\xff.doc",
                                             "nel\xc2\x85.doc",
                                             "sep\xe2\x80\xa8\xe2\x80\xa9.doc"};
    testing::TempDir dir_;
    std::set<std::string> paths_;
};

TEST_F(ScanOutputCommand, PrintsOneUnambiguousLinePerDocument) {
    const CommandResult result = RunScan({"--jobs", "2", dir_.Path().native()});
    EXPECT_EQ(result.status, 0);
    const std::vector<std::string> lines = Split(result.out, '\n');
    ASSERT_EQ(lines.size(), kNames.size()) << result.out;
    std::set<std::string> printed;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Split(lines[i], '\t');
        EXPECT_EQ(fields.size(), 5u) << lines[i];
        if (fields.size() != 5u) {
            continue;
        }
        EXPECT_EQ(fields[0], std::to_string(i + 1));
        printed.insert(Unescape(fields[1]));
    }
    EXPECT_EQ(printed, paths_);
    EXPECT_NE(result.out.find((dir_.Path() / "plain.doc").native() + "\t"), std::string::npos);
}

// A parser that knows nothing of kalvor reads every path back exactly, in each structured format.
TEST_F(ScanOutputCommand, WritesJsonAndCsvThatAParserReadsBackExactly) {
    const fs::path python = "/usr/bin/python3";
    if (!fs::exists(python)) {
        GTEST_SKIP() << "no " << python;
    }
    const fs::path reader = fs::path(KALVOR_TEST_DATA_DIR).parent_path() / "tools" / "read_rows.py";
    const std::string size = std::to_string(testing::WordDocumentWithText(u"秘密").size());
    for (const std::string format : {"json", "csv"}) {
        SCOPED_TRACE(format);
        const std::string command = "'" + std::string(KALVOR_SCAN_EXECUTABLE) + "' --format " +
                                    format + " '" + dir_.Path().native() + "' 2>/dev/null | '" +
                                    python.native() + "' '" + reader.native() + "' " + format;
        FILE* pipe = popen(command.c_str(), "r");
        EXPECT_NE(pipe, nullptr);
        if (pipe == nullptr) {
            continue;
        }
        std::string text;
        std::array<char, 4096> chunk;
        while (const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), pipe)) {
            text.append(chunk.data(), got);
        }
        const int status = pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        std::set<std::string> read;
        int number = 0;
        for (const std::string& entry : Split(text, '\0')) {
            const std::string head = std::to_string(++number) + " " + size + " ";
            EXPECT_EQ(entry.substr(0, head.size()), head);
            if (!entry.starts_with(head)) {
                continue;
            }
            read.insert(entry.substr(head.size()));
        }
        EXPECT_EQ(read, paths_);
    }
}

TEST(ScanOutputOptions, RejectsAnUnknownFormat) {
    const testing::TempDir dir;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--format", "xml", dir.Path().native()},
          std::vector<std::string>{"--format=", dir.Path().native()},
          std::vector<std::string>{dir.Path().native(), "--format"}}) {
        const CommandResult result = RunScan(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.err.starts_with("kalvor-scan: --format takes text, json or csv\n"))
            << result.err;
    }
}

// The moments a file was made and written, which a copy cannot choose, as one mark.
std::string WithoutStamps(const std::string& text) {
    static const std::regex kStamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    return std::regex_replace(text, kStamp, "T");
}

TEST(ScanOutputOptions, ListsAndCountsFoldersThatCannotBeListed) {
    const testing::TempDir dir;
    fs::permissions(dir.Path(), fs::perms::all);
    // A folder with documents and one without, each holding a folder that cannot be listed.
    const fs::path documents = dir.MakeDir("documents");
    const fs::path nothing = dir.MakeDir("nothing");
    for (const fs::path& folder : {documents, nothing}) {
        fs::permissions(folder, fs::perms::all);
        fs::create_directory(folder / "closed\tone");
        fs::permissions(folder / "closed\tone", fs::perms::none);
    }
    // A classification marking in a header, and the word in the body of a contract.
    for (const std::string name : {"marked-at-header.doc", "marked-in-body-mention.doc"}) {
        fs::copy_file(fs::path(KALVOR_TEST_DATA_DIR) / name, documents / name);
        fs::permissions(documents / name, fs::perms::all);
    }
    const std::string root = documents.native();
    const std::string header = root + "/marked-at-header.doc";
    const std::string mention = root + "/marked-in-body-mention.doc";
    const std::string size = std::to_string(fs::file_size(header));
    const std::string mentionSize = std::to_string(fs::file_size(mention));
    // The text line stays as scripts have always read it; the structured ones say why. Evidence
    // adds to a row only, and only when asked.
    struct Case {
        std::string format;
        bool evidence;
        std::string out;  // the header a format has and the rows
        std::string line;
        std::string folder{};  // searched; the one with the documents when empty
        int found = 2;
    };
    const std::string none = nothing.native();
    const std::vector<Case> cases = {
        // Nothing found: only the header a format has, and a status saying so.
        {"text", false, "", "folder-not-listed\t" + none + "/closed\\tone\n", none, 0},
        {"csv", false, "number,path,size,created,modified,path_escaped\r\n",
         "folder-not-listed,no-permission," + none + "/closed\tone,0\r\n", none, 0},
        {"text", false,
         "1\t" + header + "\t" + size + "\tT\tT\n2\t" + mention + "\t" + mentionSize + "\tT\tT\n",
         "folder-not-listed\t" + root + "/closed\\tone\n"},
        {"json", false,
         "{\"number\":1,\"path\":\"" + header + "\",\"size\":" + size +
             ",\"created\":\"T\",\"modified\":\"T\"}\n{\"number\":2,\"path\":\"" + mention +
             "\",\"size\":" + mentionSize + ",\"created\":\"T\",\"modified\":\"T\"}\n",
         "{\"kind\":\"folder-not-listed\",\"reason\":\"no-permission\",\"path\":\"" + root +
             "/closed\\tone\"}\n"},
        {"csv", false,
         "number,path,size,created,modified,path_escaped\r\n1," + header + "," + size +
             ",T,T,0\r\n2," + mention + "," + mentionSize + ",T,T,0\r\n",
         "folder-not-listed,no-permission," + root + "/closed\tone,0\r\n"},
        {"text", true,
         "1\t" + header + "\t" + size + "\tT\tT\tmarking\theader-footer\t【秘密】\n2\t" + mention +
             "\t" + mentionSize + "\tT\tT\tmention\tbody\t乙方应保守公司商业【秘密】，不得泄露。\n",
         "folder-not-listed\t" + root + "/closed\\tone\n"},
        {"json", true,
         "{\"number\":1,\"path\":\"" + header + "\",\"size\":" + size +
             ",\"created\":\"T\",\"modified\":\"T\",\"grade\":\"marking\",\"hits\":[{\"grade\":"
             "\"marking\",\"place\":\"header-footer\",\"marking\":\"秘密\",\"before\":\"\","
             "\"after\":\"\"}]}\n{\"number\":2,\"path\":\"" +
             mention + "\",\"size\":" + mentionSize +
             ",\"created\":\"T\",\"modified\":\"T\",\"grade\":\"mention\",\"hits\":[{\"grade\":"
             "\"mention\",\"place\":\"body\",\"marking\":\"秘密\",\"before\":"
             "\"乙方应保守公司商业\","
             "\"after\":\"，不得泄露。\"}]}\n",
         "{\"kind\":\"folder-not-listed\",\"reason\":\"no-permission\",\"path\":\"" + root +
             "/closed\\tone\"}\n"},
        {"csv", true,
         "number,path,size,created,modified,grade,place,context,path_escaped\r\n1," + header + "," +
             size + ",T,T,marking,header-footer,【秘密】,0\r\n2," + mention + "," + mentionSize +
             ",T,T,mention,body,乙方应保守公司商业【秘密】，不得泄露。,0\r\n",
         "folder-not-listed,no-permission," + root + "/closed\tone,0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format + (c.evidence ? " --evidence" : ""));
        const std::optional<std::string> seen = testing::RunUnprivileged([&] {
            std::vector<std::string> args{"--not-examined", "--jobs", "2", "--format", c.format};
            if (c.evidence) {
                args.emplace_back("--evidence");
            }
            args.push_back(c.folder.empty() ? root : c.folder);
            const CommandResult result = RunScan(args);
            return std::to_string(result.status) + "|" + WithoutStamps(result.out) + "|" +
                   result.err;
        });
        const std::string summary =
            "一共找到 " + std::to_string(c.found) +
            " 个符合要求的文件！\n另有 1 个文件夹无法打开，其中的内容没有搜索。\n";
        EXPECT_EQ(seen,
                  std::string(c.found > 0 ? "0" : "1") + "|" + c.out + "|" + c.line + summary);
    }
}

}  // namespace
}  // namespace kalvor::cli
