// Writes a few well-formed documents for the fuzzer to start from, so it begins with every part
// of the format in use: both versions, mini and regular streams, storages, DIFAT sectors, chains
// running backwards, and markings that the detector must find or reject.
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/compound_file_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_stream.h"

namespace {

using kalvor::testing::CompoundFileSpec;
using kalvor::testing::Utf16Le;
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
        {"version-byte-0.doc",
         kalvor::testing::BuildCompoundFile(
             {.majorVersion = 4,
              .rootStreams = {{u"WordDocument", WordStreamWithText(u"秘密", 0x00)},
                              {u"SummaryInformation", Filler(4200)}}})},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kalvor-fuzz-seeds FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const auto& [name, bytes] : Seeds()) {
        kalvor::testing::WriteBytes(folder / name, bytes);
    }
    return 0;
}
