#include "cli/report_lines.h"

#include <array>

#include "cli/byte_text.h"
#include "cli/json_text.h"
#include "platform/file_name_rules.h"
#include "platform/path_encoding.h"
#include "report/csv_record.h"
#include "report/escaped_field.h"
#include "scan/included_access.h"

namespace kalvor::cli {

namespace {

std::string JsonPathMembers(const std::filesystem::path& path) {
    const std::string bytes = platform::PathBytes(path);
    std::string members = "\"path\":" + JsonString(bytes);
    if (!IsValidUtf8(bytes)) {
        members += ",\"path_bytes\":\"" + HexBytes(bytes) + "\"";
    }
    return members;
}

// Windows names cannot hold control characters, and the backslash is its separator: a path is
// unambiguous as it stands there, and escaping every separator would only garble it.
std::string PathField(const std::filesystem::path& path) {
    const std::string bytes = platform::PathBytes(path);
    return platform::FileNamesMayHoldLineBreaks() ? report::EscapeField(bytes) : bytes;
}

// A path as CSV's quoting carries it, line breaks and all, when it is UTF-8; else escaped as the
// text output escapes it. The second field says which.
std::array<std::string, 2> CsvPathFields(const std::filesystem::path& path) {
    const std::string bytes = platform::PathBytes(path);
    if (IsValidUtf8(bytes)) {
        return {bytes, "0"};
    }
    return {report::EscapeField(bytes), "1"};
}

// A line of the account of what was not searched, in CSV or JSON: what, why and where.
std::string AccountRecord(const std::string& kind, const std::string& token,
                          const std::filesystem::path& path, OutputFormat format) {
    if (format == OutputFormat::Csv) {
        const auto [field, escaped] = CsvPathFields(path);
        return report::CsvRecord(std::array<std::string, 4>{kind, token, field, escaped});
    }
    return "{\"kind\":" + JsonString(kind) + ",\"reason\":" + JsonString(token) + "," +
           JsonPathMembers(path) + "}\n";
}

// Only a document the user included gets the member, so that other rows read as they always have.
std::string JsonAccessMember(platform::FileAccess access) {
    const std::string_view token = scan::AccessToken(access);
    return token.empty() ? std::string() : ",\"access\":" + JsonString(token);
}

}  // namespace

std::string HeaderLine(OutputFormat format) {
    if (format != OutputFormat::Csv) {
        return {};
    }
    const std::array<std::string, 6> titles{"number",  "path",     "size",
                                            "created", "modified", "path_escaped"};
    return report::CsvRecord(titles);
}

std::string RowLine(std::size_t number, const scan::ResultRow& row, OutputFormat format) {
    if (format == OutputFormat::Csv) {
        const auto [path, escaped] = CsvPathFields(row.path);
        const std::array<std::string, 6> fields{std::to_string(number),
                                                path,
                                                scan::SizeText(row.size),
                                                scan::StampText(row.creationTime),
                                                scan::StampText(row.lastWriteTime),
                                                escaped};
        return report::CsvRecord(fields);
    }
    if (format == OutputFormat::Json) {
        return "{\"number\":" + std::to_string(number) + "," + JsonPathMembers(row.path) +
               ",\"size\":" + scan::SizeText(row.size) +
               ",\"created\":" + JsonString(scan::StampText(row.creationTime)) +
               ",\"modified\":" + JsonString(scan::StampText(row.lastWriteTime)) +
               JsonAccessMember(row.access) + "}\n";
    }
    return std::to_string(number) + '\t' + PathField(row.path) + '\t' + scan::SizeText(row.size) +
           '\t' + scan::StampText(row.creationTime) + '\t' + scan::StampText(row.lastWriteTime) +
           '\n';
}

std::string NotExaminedLine(const std::filesystem::path& path, scan::NotExaminedReason reason,
                            OutputFormat format) {
    const std::string token(scan::ReasonToken(reason));
    if (format == OutputFormat::Text) {
        return "not-examined\t" + token + '\t' + PathField(path) + '\n';
    }
    return AccountRecord("not-examined", token, path, format);
}

std::string FolderNotListedLine(const std::filesystem::path& folder,
                                scan::FolderNotListedReason reason, OutputFormat format) {
    if (format == OutputFormat::Text) {
        return "folder-not-listed\t" + PathField(folder) + '\n';
    }
    return AccountRecord("folder-not-listed", std::string(scan::ReasonToken(reason)), folder,
                         format);
}

}  // namespace kalvor::cli
