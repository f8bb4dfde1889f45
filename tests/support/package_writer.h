#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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
