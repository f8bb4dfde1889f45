#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "scan/not_examined_reason.h"
#include "scan/result_row.h"
#include "scan/tree_walk.h"

namespace kalvor::report {

// One output's form of what a search tells, one type per output. Each call gives the text to
// write, line ends included; the caller writes it where that output goes, in the order told.
class ReportWriter {
  public:
    virtual ~ReportWriter() = default;

    // What comes before everything else: a header, or nothing.
    virtual std::string Start() = 0;
    // The marked document at 0-based position `index` of the list.
    virtual std::string Row(std::size_t index, const scan::ResultRow& row) = 0;
    // A document the search could not look into, and why.
    virtual std::string NotExamined(const std::filesystem::path& path,
                                    const scan::NotExaminedReason& reason) = 0;
    // A folder the search could not list, and why; nothing below it was searched.
    virtual std::string FolderNotListed(const std::filesystem::path& folder,
                                        scan::FolderNotListedReason reason) = 0;
};

}  // namespace kalvor::report
