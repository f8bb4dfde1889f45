#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "scan/marking_verdict.h"
#include "scan/result_row.h"

namespace kalvor::cli {

enum class OutputFormat {
    Text,  // tab-separated fields, paths escaped (see EscapeField)
    Json,  // one JSON object per line
};

// The lines kalvor-scan writes, each ending in a line feed. In JSON a path is the member "path",
// with any bytes that are not UTF-8 shown as U+FFFD; such a path also gets the member
// "path_bytes", its exact bytes in hexadecimal.
std::string RowLine(std::size_t number, const scan::ResultRow& row, OutputFormat format);
std::string NotExaminedLine(const std::filesystem::path& path, scan::NotExaminedReason reason,
                            OutputFormat format);
std::string FolderNotListedLine(const std::filesystem::path& folder, OutputFormat format);

}  // namespace kalvor::cli
