#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kalvor::platform {

// A "file:" URL naming the absolute `path`, built from the path's own bytes so that a name that
// is not valid UTF-8 still reaches the program that opens it.
std::string FileUrl(const std::filesystem::path& path);

// `bytes` with every byte but the unreserved ones (letters, digits, "-._~") and "/" written as
// "%XX".
std::string PercentEncodedPath(std::string_view bytes);

}  // namespace kalvor::platform
