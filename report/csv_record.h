#pragma once

#include <span>
#include <string>

// Comma-separated values as RFC 4180 writes them, shared by the window's export and kalvor-scan.
namespace kalvor::report {

// One record: the fields separated by commas and ended by CR LF. A field that holds a comma, a
// double quote or a line break is put in double quotes, with each double quote in it doubled;
// any other field is written as it is, so numbers stay numbers for a spreadsheet.
std::string CsvRecord(std::span<const std::string> fields);

}  // namespace kalvor::report
