#include "tests/support/package_writer.h"

#include <zlib.h>

#include <stdexcept>

namespace kalvor::testing {

namespace {

constexpr std::string_view kWordNamespace =
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view kRelationshipTypes =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

void PutLe(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::string RawDeflate(const std::string& data) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("deflate failed");
    }
    return out;
}

// A plain end record; `claim` in its 16- and 32-bit fields.
void PutEndRecord(std::vector<std::uint8_t>& out, const DirectoryClaim& claim) {
    PutLe(out, 0x06054B50, 4);
    PutLe(out, 0, 4);  // this disk, the directory's disk
    PutLe(out, claim.entries, 2);
    PutLe(out, claim.entries, 2);
    PutLe(out, claim.size, 4);
    PutLe(out, claim.offset, 4);
    PutLe(out, 0, 2);  // comment length
}

}  // namespace

ZipBody BuildZipBody(const std::vector<ZipEntry>& entries) {
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> directory;
    for (const ZipEntry& entry : entries) {
        const std::string stored = entry.deflated ? RawDeflate(entry.data) : entry.data;
        const auto crc =
            static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
                                             static_cast<uInt>(entry.data.size())) +
                                       (entry.wrongChecksum ? 1 : 0));
        const auto offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t method = entry.deflated ? 8 : 0;
        // The fields a local header and a central directory entry share, from the version needed
        // to the name's length.
        std::vector<std::uint8_t> common;
        PutLe(common, 20, 2);  // version needed: 2.0
        PutLe(common, 0, 2);   // flags
        PutLe(common, method, 2);
        PutLe(common, 0, 4);  // time and date
        PutLe(common, crc, 4);
        PutLe(common, static_cast<std::uint32_t>(stored.size()), 4);
        PutLe(common, static_cast<std::uint32_t>(entry.data.size()), 4);
        PutLe(common, static_cast<std::uint32_t>(entry.name.size()), 2);

        PutLe(out, 0x04034B50, 4);
        out.insert(out.end(), common.begin(), common.end());
        PutLe(out, 0, 2);  // extra field length
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.insert(out.end(), stored.begin(), stored.end());

        PutLe(directory, 0x02014B50, 4);
        PutLe(directory, 20, 2);  // made by
        directory.insert(directory.end(), common.begin(), common.end());
        PutLe(directory, 0, 2);  // extra field length
        PutLe(directory, 0, 2);  // comment length
        PutLe(directory, 0, 2);  // disk
        PutLe(directory, 0, 2);  // internal attributes
        PutLe(directory, 0, 4);  // external attributes
        PutLe(directory, offset, 4);
        directory.insert(directory.end(), entry.name.begin(), entry.name.end());
    }
    const DirectoryClaim claim{
        .entries = entries.size(), .size = directory.size(), .offset = out.size()};
    out.insert(out.end(), directory.begin(), directory.end());
    return {std::move(out), claim};
}

std::vector<std::uint8_t> BuildZip(const std::vector<ZipEntry>& entries) {
    ZipBody body = BuildZipBody(entries);
    PutEndRecord(body.bytes, body.directory);
    return std::move(body.bytes);
}

std::vector<std::uint8_t> Zip64EndRecords(std::uint64_t at, const DirectoryClaim& claim) {
    std::vector<std::uint8_t> out;
    PutLe(out, 0x06064B50, 4);
    PutLe(out, 44, 8);  // the size of the rest of the record
    PutLe(out, 45, 2);  // made by: 4.5
    PutLe(out, 45, 2);  // version needed: 4.5
    PutLe(out, 0, 8);   // this disk, the directory's disk
    PutLe(out, claim.entries, 8);
    PutLe(out, claim.entries, 8);
    PutLe(out, claim.size, 8);
    PutLe(out, claim.offset, 8);
    PutLe(out, 0x07064B50, 4);
    PutLe(out, 0, 4);  // the disk of the ZIP64 end record
    PutLe(out, at, 8);
    PutLe(out, 1, 4);  // disks
    PutEndRecord(out, {.entries = 0xFFFF, .size = 0xFFFFFFFF, .offset = 0xFFFFFFFF});
    return out;
}

std::vector<std::uint8_t> BuildZip64(const std::vector<ZipEntry>& entries) {
    ZipBody body = BuildZipBody(entries);
    const std::vector<std::uint8_t> end = Zip64EndRecords(body.bytes.size(), body.directory);
    body.bytes.insert(body.bytes.end(), end.begin(), end.end());
    return std::move(body.bytes);
}

std::string RelationshipsXml(
    const std::vector<std::pair<std::string, std::string>>& typesAndTargets) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    int id = 1;
    for (const auto& [type, target] : typesAndTargets) {
        xml += "<Relationship Id=\"rId" + std::to_string(id++) + "\" Type=\"" +
               std::string(kRelationshipTypes) + type + "\" Target=\"" + target + "\"/>";
    }
    return xml + "</Relationships>";
}

std::string WordPartXml(std::string_view root, std::string_view contentXml) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:" +
           std::string(root) + " xmlns:w=\"" + std::string(kWordNamespace) + "\">" +
           std::string(contentXml) + "</w:" + std::string(root) + ">";
}

std::vector<ZipEntry> WordPackageEntries(std::string_view bodyXml,
                                         const std::vector<RelatedPart>& related) {
    std::vector<std::pair<std::string, std::string>> mainRelationships;
    std::vector<ZipEntry> entries = {
        {.name = "[Content_Types].xml",
         .data = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                 "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                 "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"},
        {.name = "_rels/.rels",
         .data = RelationshipsXml({{"officeDocument", "word/document.xml"}})},
        {.name = "word/document.xml",
         .data = WordPartXml("document", "<w:body>" + std::string(bodyXml) + "</w:body>")}};
    for (const RelatedPart& part : related) {
        mainRelationships.emplace_back(part.type, part.name);
        entries.push_back({.name = "word/" + part.name, .data = part.xml});
    }
    if (!related.empty()) {
        entries.push_back(
            {.name = "word/_rels/document.xml.rels", .data = RelationshipsXml(mainRelationships)});
    }
    return entries;
}

}  // namespace kalvor::testing
