#include "cli/report_lines.h"

#include "cli/byte_text.h"
#include "cli/json_text.h"
#include "platform/path_text.h"

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

}  // namespace

std::string RowLine(std::size_t number, const scan::ResultRow& row, OutputFormat format) {
    if (format == OutputFormat::Json) {
        return "{\"number\":" + std::to_string(number) + "," + JsonPathMembers(row.path) +
               ",\"size\":" + row.sizeText + ",\"created\":" + JsonString(row.creationTimeText) +
               ",\"modified\":" + JsonString(row.modificationTimeText) + "}\n";
    }
    return std::to_string(number) + '\t' + EscapeField(platform::PathBytes(row.path)) + '\t' +
           row.sizeText + '\t' + row.creationTimeText + '\t' + row.modificationTimeText + '\n';
}

std::string NotExaminedLine(const std::filesystem::path& path, scan::NotExaminedReason reason,
                            OutputFormat format) {
    const std::string token(scan::ReasonToken(reason));
    if (format == OutputFormat::Json) {
        return "{\"kind\":\"not-examined\",\"reason\":" + JsonString(token) + "," +
               JsonPathMembers(path) + "}\n";
    }
    return "not-examined\t" + token + '\t' + EscapeField(platform::PathBytes(path)) + '\n';
}

std::string FolderNotListedLine(const std::filesystem::path& folder, OutputFormat format) {
    if (format == OutputFormat::Json) {
        return "{\"kind\":\"folder-not-listed\"," + JsonPathMembers(folder) + "}\n";
    }
    return "folder-not-listed\t" + EscapeField(platform::PathBytes(folder)) + '\n';
}

}  // namespace kalvor::cli
