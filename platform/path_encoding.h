#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kalvor::platform {

// The path as UTF-8 for people to read. A part that encodes no character (a byte that starts no
// well-formed UTF-8 sequence on POSIX, a lone surrogate on Windows) shows as U+FFFD.
std::string PathText(const std::filesystem::path& path);

// The path as a command-line program writes it: the file system's own bytes on POSIX, so that
// the output names exactly the file found; UTF-8 on Windows.
std::string PathBytes(const std::filesystem::path& path);

// The path a command-line argument names: its bytes on POSIX, UTF-8 on Windows.
std::filesystem::path PathFromArgument(std::string_view argument);

}  // namespace kalvor::platform
