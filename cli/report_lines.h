#pragma once

#include <memory>

#include "report/report_writer.h"

namespace kalvor::cli {

enum class OutputFormat {
    Text,  // tab-separated fields, paths escaped
    Json,  // one JSON object per line
    Csv,   // RFC 4180 records under a header record
};

// The writer of kalvor-scan's lines in `format`, each ending in a line feed (CR LF in CSV); each
// row with its evidence when `withEvidence`.
std::unique_ptr<report::ReportWriter> WriterFor(OutputFormat format, bool withEvidence = false);

}  // namespace kalvor::cli
