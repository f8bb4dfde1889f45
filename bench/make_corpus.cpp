// Writes a benchmark corpus: a nested tree of Word documents of realistic sizes, a few percent of
// them marked, some that are not documents at all, and many files of other kinds. The documents
// are Word 97-2003 `.doc` files, or with `docx` Word 2007+ packages holding as much text.
//
//   kalvor-bench-corpus FOLDER DOCUMENTS [SEED] [docx]

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/compound_file_builder.h"
#include "tests/support/package_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_text_builder.h"

namespace {

namespace fs = std::filesystem;
using kalvor::testing::BuildCompoundFile;
using kalvor::testing::CompoundFileSpec;

constexpr std::size_t kFilesPerFolder = 40;
constexpr std::size_t kFoldersPerFolder = 6;

class CorpusWriter {
  public:
    CorpusWriter(fs::path root, std::uint64_t seed, bool packages)
        : root_(std::move(root)), random_(seed), packages_(packages) {}

    void WriteDocuments(std::size_t count) {
        const char* extension = packages_ ? ".docx" : ".doc";
        for (std::size_t i = 0; i < count; ++i) {
            const fs::path folder = FolderFor(i);
            const std::size_t kind = Uniform(0, 99);
            if (kind < 3) {
                Write(folder / Name(i, extension), NotACompoundFile());
            } else if (packages_) {
                Write(folder / Name(i, extension), Package(kind < 7));
            } else {
                Write(folder / Name(i, i % 7 == 0 ? ".DOC" : ".doc"), Document(kind < 7));
            }
            // Two files of other kinds for every document: the walk lists them, nobody reads them.
            Write(folder / Name(i, ".txt"), RandomBytes(Uniform(2'000, 40'000)));
            Write(folder / Name(i, ".xls"), RandomBytes(Uniform(10'000, 80'000)));
        }
    }

  private:
    std::size_t Uniform(std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(random_);
    }

    // Folders nest a few levels deep, so the walk has real recursion to do.
    fs::path FolderFor(std::size_t index) const {
        std::size_t folderNumber = index / kFilesPerFolder;
        fs::path folder = root_;
        std::vector<std::string> parts;
        do {
            parts.push_back("folder-" + std::to_string(folderNumber % kFoldersPerFolder));
            folderNumber /= kFoldersPerFolder;
        } while (folderNumber > 0);
        for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
            folder /= *it;
        }
        return folder;
    }

    static std::string Name(std::size_t index, const char* extension) {
        return "file-" + std::to_string(index) + extension;
    }

    void Write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
        fs::create_directories(path.parent_path());
        kalvor::testing::WriteBytes(path, bytes);
    }

    std::vector<std::uint8_t> RandomBytes(std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (auto& byte : bytes) {
            byte = static_cast<std::uint8_t>(random_());
        }
        return bytes;
    }

    // Chinese text as Word keeps it: UTF-16LE units from the common CJK block, with spaces and
    // paragraph marks, and plenty of unmarked 密 (保密, 密码) so the search has hits to reject.
    std::vector<std::uint8_t> Text(std::size_t bytes, bool marked) {
        std::vector<std::uint8_t> text;
        text.reserve(bytes + 2);
        auto unit = [&](char16_t u) {
            text.push_back(static_cast<std::uint8_t>(u & 0xFF));
            text.push_back(static_cast<std::uint8_t>(u >> 8));
        };
        while (text.size() < bytes) {
            const std::size_t pick = Uniform(0, 999);
            if (pick < 2) {
                unit(u'保');
                unit(u'密');
            } else if (pick < 4) {
                unit(u'密');
                unit(u'码');
            } else if (pick < 60) {
                unit(pick < 50 ? u' ' : u'\r');
            } else {
                unit(static_cast<char16_t>(Uniform(0x4E00, 0x9FA5)));
            }
        }
        text.resize(bytes & ~std::size_t{1});
        if (marked) {
            const std::size_t at = Uniform(0, text.size() / 2 - 2) * 2;
            const std::uint8_t mark[] = {0xD8, 0x79, 0xC6, 0x5B};  // 秘密
            std::copy(std::begin(mark), std::end(mark), text.begin() + at);
        }
        return text;
    }

    std::size_t StreamSize() {
        const std::size_t pick = Uniform(0, 99);
        if (pick < 10) {
            return Uniform(600, 4000);  // small enough for the mini stream
        }
        if (pick < 98) {
            return Uniform(20'000, 200'000);
        }
        return Uniform(2'000'000, 6'000'000);
    }

    std::vector<std::uint8_t> Document(bool marked) {
        const std::size_t size = StreamSize();
        std::vector<std::uint8_t> stream(0x40, 0);
        stream[5] = 0x20 * static_cast<std::uint8_t>(Uniform(1, 3));
        const std::vector<std::uint8_t> text = Text(size - stream.size(), marked);
        CompoundFileSpec spec;
        if (marked) {
            // A listed document's tables are read for its evidence: they are real ones.
            const kalvor::testing::WordStreams streams = InPieces(text);
            spec.rootStreams.push_back({u"WordDocument", streams.wordDocument});
            spec.rootStreams.push_back({u"1Table", streams.table});
        } else {
            stream.insert(stream.end(), text.begin(), text.end());
            spec.rootStreams.push_back({u"WordDocument", std::move(stream)});
            spec.rootStreams.push_back({u"1Table", RandomBytes(Uniform(4'096, 20'000))});
        }
        spec.rootStreams.push_back({u"\x05SummaryInformation", RandomBytes(4'096)});
        return BuildCompoundFile(spec);
    }

    // `utf16` as the main text of a document in a few pieces, as edits leave it.
    kalvor::testing::WordStreams InPieces(const std::vector<std::uint8_t>& utf16) {
        kalvor::testing::WordTextSpec spec;
        spec.tableOne = true;
        const std::size_t units = utf16.size() / 2;
        std::size_t start = 0;
        while (start < units) {
            const std::size_t end = std::min(units, start + Uniform(units / 4, units / 2 + 1));
            std::u16string text;
            for (std::size_t unit = start; unit < end; ++unit) {
                text += static_cast<char16_t>(utf16[2 * unit] | utf16[2 * unit + 1] << 8);
            }
            spec.pieces.push_back({std::move(text)});
            start = end;
        }
        return kalvor::testing::BuildWordStreams(spec);
    }

    // The same amount of text as a document's stream, in paragraphs of a few runs each, as
    // word processors write it; a marking, when there is one, may span two runs.
    std::vector<std::uint8_t> Package(bool marked) {
        const std::vector<std::uint8_t> utf16 = Text(StreamSize(), marked);
        std::string body = "<w:p><w:r><w:t>";
        for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
            const char16_t unit = static_cast<char16_t>(utf16[i] | utf16[i + 1] << 8);
            if (unit == u'\r') {
                body += "</w:t></w:r></w:p><w:p><w:r><w:t>";
            } else if (unit < 0x80) {
                body += static_cast<char>(unit);
            } else {
                body += static_cast<char>(0xE0 | unit >> 12);
                body += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
                body += static_cast<char>(0x80 | (unit & 0x3F));
            }
            if (Uniform(0, 199) == 0) {
                body += "</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>";
            }
        }
        body += "</w:t></w:r></w:p>";
        return kalvor::testing::BuildZip(kalvor::testing::WordPackageEntries(body));
    }

    std::vector<std::uint8_t> NotACompoundFile() {
        const std::string rtf = "{\\rtf1\\ansi 秘密}";
        std::vector<std::uint8_t> bytes(rtf.begin(), rtf.end());
        const std::vector<std::uint8_t> rest = RandomBytes(Uniform(1'000, 30'000));
        bytes.insert(bytes.end(), rest.begin(), rest.end());
        return bytes;
    }

    fs::path root_;
    std::mt19937_64 random_;
    bool packages_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: kalvor-bench-corpus FOLDER DOCUMENTS [SEED] [docx]\n";
        return 2;
    }
    const std::size_t documents = std::strtoull(argv[2], nullptr, 10);
    const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
    const bool packages = argc > 4 && std::string(argv[4]) == "docx";
    CorpusWriter(argv[1], seed, packages).WriteDocuments(documents);
    return 0;
}
