#pragma once

#include <memory>
#include <string>
#include <vector>

#include "report/report_writer.h"

// One writer per output, each made here and known to its callers by ReportWriter's calls alone.
namespace kalvor::report {

// kalvor-scan's text: five tab-separated cells per row (number, path, size, creation and
// modification time); `not-examined<TAB>reason<TAB>path` for a document, and
// `folder-not-listed<TAB>path` for a folder, a line scripts have always read without a reason.
// Paths are escaped as EscapeField escapes them, so that each takes one field of one line.
// `withEvidence` adds three cells to a row, its EvidenceCells as tokens, the context escaped as a
// path is.
std::unique_ptr<ReportWriter> MakeTextWriter(bool withEvidence);

// kalvor-scan's JSON Lines: one object per row ("number", "path", "size", "created",
// "modified"), and one per document or folder not searched ("kind", "reason", "path"). A path
// is the member "path", with any bytes that are not UTF-8 shown as U+FFFD; such a path also gets
// the member "path_bytes", its exact bytes in hexadecimal. `withEvidence` adds to a row the
// members "grade" (a token) and "hits", an array of objects {"grade", "place", "marking",
// "before", "after"}, strongest first.
std::unique_ptr<ReportWriter> MakeJsonWriter(bool withEvidence);

// kalvor-scan's comma-separated values, as CsvRecord writes them: a header record, one record
// per row (number, path, size, created, modified, path_escaped), and the records
// `not-examined,reason,path,path_escaped` and `folder-not-listed,reason,path,path_escaped`. A path
// that is not UTF-8 is escaped as the text output escapes it, and its path_escaped is 1.
// `withEvidence` puts grade, place and context (EvidenceCells, as tokens) between modified and
// path_escaped, which stays last.
std::unique_ptr<ReportWriter> MakeCsvWriter(bool withEvidence);

// The window's export of its results, a report to hand in: CSV in UTF-8 with a byte-order mark,
// so that spreadsheet programs on Windows and WPS read the Chinese text as it is. A header record
// of the list's `columnTitles`, then the rows with the cells the list shows; then, after an empty
// line, the documents not examined and the folders not listed with their reasons in words, when
// there are any. Each row also has its EvidenceCells in words, under 判断, 位置 and 上下文, before
// the column which says whether its path is escaped; with `withAccess`, a last column says how its
// file was read.
std::unique_ptr<ReportWriter> MakeExportWriter(std::vector<std::string> columnTitles,
                                               bool withAccess);

}  // namespace kalvor::report
