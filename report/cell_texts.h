#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_access.h"

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

// A path as the window's list shows it and its export writes it: as it is, or, when it holds what
// a cell cannot show exactly (a line break or another control byte, a byte that is not UTF-8, a
// character that line readers take for a line break), escaped the way kalvor-scan writes it,
// backslashes and all, so that the text gives the exact bytes back. `escaped` says which.
struct PathCell {
    std::string text;
    bool escaped = false;
};
PathCell PathCellOf(const std::filesystem::path& path);

// How a file was read, for the field 读取方式: "只读", "被其他程序占用", or nothing for a file read
// as any other.
std::string_view AccessText(platform::FileAccess access);

}  // namespace kalvor::report
