#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvor::testing {

// Writes ZIP packages and Word 2007+ documents with chosen parts, so tests need no binary
// fixtures.
struct ZipEntry {
    std::string name;
    std::string data;
    bool deflated = true;
    bool wrongChecksum = false;  // the recorded CRC-32 is not the data's
};

std::vector<std::uint8_t> BuildZip(const std::vector<ZipEntry>& entries);

// What the end records say of the central directory.
struct DirectoryClaim {
    std::uint64_t entries = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
};

// The local entries and the central directory BuildZip writes for `entries`, without end records,
// and what an end record should say of the directory.
struct ZipBody {
    std::vector<std::uint8_t> bytes;
    DirectoryClaim directory;
};
ZipBody BuildZipBody(const std::vector<ZipEntry>& entries);

// The size of the ZIP64 end record, its locator and the plain end record together.
inline constexpr std::size_t kZip64EndRecordsSize = 56 + 20 + 22;

// A ZIP64 end record claiming `claim`, its locator and a plain end record that leaves the counts
// to them, to be written at offset `at` of a file.
std::vector<std::uint8_t> Zip64EndRecords(std::uint64_t at, const DirectoryClaim& claim);

// As BuildZip, ending in Zip64EndRecords for what it holds.
std::vector<std::uint8_t> BuildZip64(const std::vector<ZipEntry>& entries);

// A relationships part relating each (type, target): the type is the last segment of a
// relationship type ("header"), the target as it is written.
std::string RelationshipsXml(
    const std::vector<std::pair<std::string, std::string>>& typesAndTargets);

// A part related to the main document part: its relationship type's last segment ("header",
// "footnotes"…), its name in the folder "word/", and its XML.
struct RelatedPart {
    std::string type;
    std::string name;
    std::string xml;
};

// The entries of a Word 2007+ document: content types, the package's relationships, the main
// part word/document.xml holding `bodyXml` within its w:body, and `related` with their
// relationships.
std::vector<ZipEntry> WordPackageEntries(std::string_view bodyXml,
                                         const std::vector<RelatedPart>& related = {});

// A part whose root element is w:`root` around `contentXml`, declaring the w: prefix.
std::string WordPartXml(std::string_view root, std::string_view contentXml);

}  // namespace kalvor::testing
