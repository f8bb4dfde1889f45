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

// Windows names cannot hold control characters, and the backslash is its separator: a path is
// unambiguous as it stands there, and escaping every separator would only garble it.
std::string PathField(const std::filesystem::path& path) {
#ifdef _WIN32
    return platform::PathBytes(path);
#else
    return EscapeField(platform::PathBytes(path));
#endif
}

}  // namespace

std::string RowLine(std::size_t number, const scan::ResultRow& row, OutputFormat format) {
    if (format == OutputFormat::Json) {
        return "{\"number\":" + std::to_string(number) + "," + JsonPathMembers(row.path) +
               ",\"size\":" + row.sizeText + ",\"created\":" + JsonString(row.creationTimeText) +
               ",\"modified\":" + JsonString(row.modificationTimeText) + "}\n";
    }
    return std::to_string(number) + '\t' + PathField(row.path) + '\t' + row.sizeText + '\t' +
           row.creationTimeText + '\t' + row.modificationTimeText + '\n';
}

std::string NotExaminedLine(const std::filesystem::path& path, scan::NotExaminedReason reason,
                            OutputFormat format) {
    const std::string token(scan::ReasonToken(reason));
    if (format == OutputFormat::Json) {
        return "{\"kind\":\"not-examined\",\"reason\":" + JsonString(token) + "," +
               JsonPathMembers(path) + "}\n";
    }
    return "not-examined\t" + token + '\t' + PathField(path) + '\n';
}

std::string FolderNotListedLine(const std::filesystem::path& folder, OutputFormat format) {
    if (format == OutputFormat::Json) {
        return "{\"kind\":\"folder-not-listed\"," + JsonPathMembers(folder) + "}\n";
    }
    return "folder-not-listed\t" + PathField(folder) + '\n';
}

}  // namespace kalvor::cli
