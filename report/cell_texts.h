#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// The texts of a row's cells, made where the row is shown or written: the same in the window's
// list, its export and every output of kalvor-scan.
namespace kalvor::report {

// The running number of the row at 0-based position `index`: "1" for the first row.
std::string RowNumberText(std::size_t index);

// A size in bytes: decimal digits, no separators, no unit.
std::string SizeText(std::uint64_t size);

// A stamp in FormatFileTime's form. A missing stamp, or one before local year 1900, shows as the
// time value 0; one that no local time can show, as nothing.
std::string StampText(std::optional<std::int64_t> stamp);

// A path as the window's list and its export show it: bytes that are not UTF-8 as U+FFFD.
std::string PathCellText(const std::filesystem::path& path);

}  // namespace kalvor::report
