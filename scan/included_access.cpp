#include "scan/included_access.h"

namespace kalvor::scan {

namespace {

constexpr std::string_view kReadOnly = "read-only";
constexpr std::string_view kInUse = "in-use";

}  // namespace

std::optional<platform::IncludedAccess> ParseIncludedAccess(std::string_view list) {
    if (list == "all") {
        return platform::IncludedAccess{.readOnly = true, .inUse = true};
    }
    platform::IncludedAccess included;
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (name == kReadOnly) {
            included.readOnly = true;
        } else if (name == kInUse) {
            included.inUse = true;
        } else {
            return std::nullopt;
        }
        if (comma == std::string_view::npos) {
            return included;
        }
        list.remove_prefix(comma + 1);
    }
}

std::string IncludedAccessNames(platform::IncludedAccess include) {
    std::string names;
    if (include.readOnly) {
        names += kReadOnly;
    }
    if (include.inUse) {
        if (!names.empty()) {
            names += ',';
        }
        names += kInUse;
    }
    return names;
}

std::string_view AccessToken(platform::FileAccess access) {
    switch (access) {
        case platform::FileAccess::Ordinary:
            return {};
        case platform::FileAccess::ReadOnly:
            return kReadOnly;
        case platform::FileAccess::InUse:
            return kInUse;
    }
    return {};
}

}  // namespace kalvor::scan
