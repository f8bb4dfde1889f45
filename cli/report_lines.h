#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "scan/not_examined_reason.h"
#include "scan/result_row.h"
#include "scan/tree_walk.h"

namespace kalvor::cli {

enum class OutputFormat {
    Text,  // tab-separated fields, paths escaped (see EscapeField)
    Json,  // one JSON object per line
    Csv,   // RFC 4180 records under a header record
};

// The lines kalvor-scan writes, each ending in a line feed (CR LF in CSV). In JSON a path is the
// member "path", with any bytes that are not UTF-8 shown as U+FFFD; such a path also gets the
// member "path_bytes", its exact bytes in hexadecimal. In CSV a path that is not UTF-8 is escaped
// as in the text output, and the last field, path_escaped, is 1 for it and 0 for any other.
std::string HeaderLine(OutputFormat format);  // empty but for CSV
std::string RowLine(std::size_t number, const scan::ResultRow& row, OutputFormat format);
std::string NotExaminedLine(const std::filesystem::path& path, scan::NotExaminedReason reason,
                            OutputFormat format);
// The text line holds no reason, as it always has; JSON and CSV carry its token.
std::string FolderNotListedLine(const std::filesystem::path& folder,
                                scan::FolderNotListedReason reason, OutputFormat format);

}  // namespace kalvor::cli
