#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "cfb/compound_file.h"

namespace kalvor::cfb {
namespace {

namespace fs = std::filesystem;

const fs::path kPython = "/usr/bin/python3";
const fs::path kOlefileLister =
    fs::path(KALVOR_TEST_DATA_DIR).parent_path() / "tools" / "olefile_streams.py";

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
    }
    return ~crc;
}

std::string Hex(std::u16string_view name) {
    std::string text;
    char digits[5];
    for (const char16_t unit : name) {
        std::snprintf(digits, sizeof digits, "%02x%02x", unit & 0xFF, unit >> 8);
        text += digits;
    }
    return text;
}

// The lines olefile_streams.py prints for one file, made from our reader.
std::vector<std::string> OurLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    MemoryByteSource source(bytes);
    const std::string name = file.filename().native();
    std::vector<std::string> lines;
    const StreamReadResult result =
        ForEachStream(source, UnchargedMemory(), [&](const StoredStream& stream) {
            std::string path;
            for (const std::u16string& element : stream.path) {
                path += (path.empty() ? "" : "/") + Hex(element);
            }
            char figures[32];
            std::snprintf(figures, sizeof figures, "%zu\t%08x", stream.bytes.size(),
                          Crc32(stream.bytes));
            lines.push_back(name + "\t" + path + "\t" +
                            (stream.result == StreamReadResult::Read ? figures : "unreadable"));
        }).result;
    if (result == StreamReadResult::NotCompoundFile) {
        lines.push_back(name + "\tnot-compound-file");
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> OlefileLines(const fs::path& folder) {
    const std::string command =
        "'" + kPython.native() + "' '" + kOlefileLister.native() + "' '" + folder.native() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::vector<std::string> lines;
    if (pipe == nullptr) {
        return lines;
    }
    std::string text;
    std::array<char, 4096> chunk;
    while (const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), pipe)) {
        text.append(chunk.data(), got);
    }
    EXPECT_EQ(pclose(pipe), 0) << "olefile_streams.py failed";
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

bool OlefileAvailable() {
    const std::string probe = "'" + kPython.native() + "' -c 'import olefile' 2>/dev/null";
    return fs::exists(kPython) && std::system(probe.c_str()) == 0;
}

// File name and stream path of a line.
std::string KeyOf(const std::string& line) {
    const std::size_t file = line.find('\t');
    return line.substr(0, line.find('\t', file + 1));
}

// Where the two readers may differ, each by design. Every other difference is a bug in one of them.
const std::set<std::string> kExpectedDifferences = {
    // The directory records far more bytes than the file holds (469 MB, 16 MB): we refuse such a
    // stream rather than allocate for it; olefile pads it with zeros.
    "clusterfuzz-testcase-POIHWPFFuzzer-5696094627495936.doc\t050044006f00630075006d0065006e007400"
    "536d0000756d000061007200790049006e0066006f0072006d00615c455d5c455d5d5d5d",
    "clusterfuzz-testcase-minimized-POIHWPFFuzzer-5440721166139392.doc\t4f0062006a0065006300740050"
    "006f006f006c00",
    // An entry whose name length is 0: we read an empty name, olefile (slicing by length - 2) all
    // but the last two bytes of the name field.
    "clusterfuzz-testcase-minimized-POIHWPFFuzzer-5418937293340672.doc\t",
    "clusterfuzz-testcase-minimized-POIHWPFFuzzer-5418937293340672.doc\t01004f006c0065" +
        std::string(102, '0') + "80000000",
};

// Reads every stream of every compound file of the real-world corpus with our reader and with
// python3-olefile, an independent reader, and compares names, sizes and bytes stream by stream.
TEST(ReaderDifferential, AgreesWithOlefileOnEveryStreamOfTheCorpus) {
    const fs::path corpus = KALVOR_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    if (!OlefileAvailable()) {
        GTEST_SKIP() << "python3-olefile is not installed";
    }
    std::vector<std::string> ours;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
        const std::vector<std::string> lines = OurLines(entry.path());
        ours.insert(ours.end(), lines.begin(), lines.end());
    }
    std::sort(ours.begin(), ours.end());
    std::vector<std::string> theirs = OlefileLines(corpus);
    std::sort(theirs.begin(), theirs.end());
    EXPECT_GT(theirs.size(), 1000u);

    std::vector<std::string> differing;
    std::set_symmetric_difference(ours.begin(), ours.end(), theirs.begin(), theirs.end(),
                                  std::back_inserter(differing));
    std::set<std::string> keys;
    for (const std::string& line : differing) {
        keys.insert(KeyOf(line));
    }
    EXPECT_EQ(keys, kExpectedDifferences) << ::testing::PrintToString(differing);
}

}  // namespace
}  // namespace kalvor::cfb
