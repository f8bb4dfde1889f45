#include "report/cell_texts.h"

#include <algorithm>
#include <utility>

#include "platform/file_name_rules.h"
#include "platform/path_encoding.h"
#include "report/escaped_field.h"
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

std::string_view AccessText(platform::FileAccess access) {
    switch (access) {
        case platform::FileAccess::Ordinary:
            return {};
        case platform::FileAccess::ReadOnly:
            return "只读";
        case platform::FileAccess::InUse:
            return "被其他程序占用";
    }
    return {};
}

PathCell PathCellOf(const std::filesystem::path& path) {
    // Windows names hold no control characters and the backslash separates: kalvor-scan writes
    // them as they are there, and so does the list.
    if (!platform::FileNamesMayHoldLineBreaks()) {
        return {.text = platform::PathText(path)};
    }
    const std::string bytes = platform::PathBytes(path);
    std::string escaped = EscapeField(bytes);
    // Escaping lengthens the text by one for each backslash and by more than that for anything
    // else it escapes: a name whose only escapes would be backslashes shows as it is.
    if (escaped.size() ==
        bytes.size() + static_cast<std::size_t>(std::ranges::count(bytes, '\\'))) {
        return {.text = bytes};
    }
    return {.text = std::move(escaped), .escaped = true};
}

}  // namespace kalvor::report
