#include "report/cell_texts.h"

#include "platform/path_encoding.h"
#include "scan/file_time.h"

namespace kalvor::report {

std::string RowNumberText(std::size_t index) {
    return std::to_string(index + 1);
}

std::string SizeText(std::uint64_t size) {
    return std::to_string(size);
}

std::string StampText(std::optional<std::int64_t> stamp) {
    return scan::FormatFileTime(scan::TimeValueFromStamp(stamp));
}

std::string PathCellText(const std::filesystem::path& path) {
    return platform::PathText(path);
}

}  // namespace kalvor::report
