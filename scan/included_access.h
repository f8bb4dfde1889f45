#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_access.h"

namespace kalvor::scan {

// The kinds of documents a search may include, as scripts name them: "read-only", "in-use", a
// comma-separated list of them, or "all"; nothing for any other list.
std::optional<platform::IncludedAccess> ParseIncludedAccess(std::string_view list);

// `include` as ParseIncludedAccess takes it back: the names comma-separated, empty for none.
std::string IncludedAccessNames(platform::IncludedAccess include);

// How a row's document was read, as scripts name it: "read-only", "in-use", and nothing for a
// document read as every document is.
std::string_view AccessToken(platform::FileAccess access);

}  // namespace kalvor::scan
