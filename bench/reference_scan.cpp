// The search as first designed, kept as the benchmark's yardstick: one thread, a fresh buffer
// for every stream, and a byte-by-byte scan. Prints the path of every marked document in walk
// order, so the runner can also check that kalvor-scan finds exactly the same documents.
//
//   kalvor-reference-scan FOLDER

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "cfb/compound_file.h"
#include "platform/directory_listing.h"
#include "platform/exclusive_file.h"
#include "reference/marking_by_byte_loop.h"
#include "scan/document_bytes.h"
#include "scan/examination_memory.h"

namespace {

namespace fs = std::filesystem;
using namespace kalvor::platform;

bool IsDocName(const fs::path& name) {
    const std::string text = name.string();
    const std::size_t dot = text.rfind('.');
    if (dot == std::string::npos || text.size() - dot != 4) {
        return false;
    }
    std::string extension = text.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension == ".doc";
}

bool CheckDocument(const fs::path& path) {
    std::unique_ptr<ExclusiveFile> file = ExclusiveFile::Open(path).file;
    if (!file) {
        return false;
    }
    kalvor::scan::DocumentBytes bytes(*file);
    const kalvor::cfb::StreamCopy stream =
        kalvor::cfb::ReadRootStream(bytes, u"WordDocument", kalvor::scan::ExaminationMemory());
    if (stream.status.result != kalvor::cfb::StreamReadResult::Read) {
        return false;
    }
    file.reset();
    return kalvor::reference::VerdictByteByByte(stream.image) ==
           kalvor::scan::MarkingVerdict::Marked;
}

void SearchFolder(const fs::path& folder, std::vector<FileIdentity>& ancestors) {
    const auto identity = IdentityOf(folder);
    if (!identity) {
        return;
    }
    for (const FileIdentity& above : ancestors) {
        if (above == *identity) {
            return;
        }
    }
    const DirectoryListing listing = ListDirectory(folder);
    if (listing.error) {
        return;
    }
    ancestors.push_back(*identity);
    for (const DirectoryEntry& entry : listing.entries) {
        const fs::path path = folder / entry.name;
        if (entry.isDirectory) {
            SearchFolder(path, ancestors);
        } else if (IsDocName(entry.name) && CheckDocument(path)) {
            std::cout << path.native() << '\n';
        }
    }
    ancestors.pop_back();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kalvor-reference-scan FOLDER\n";
        return 2;
    }
    std::vector<FileIdentity> ancestors;
    SearchFolder(fs::absolute(argv[1]), ancestors);
    return 0;
}
