#include "platform/path_encoding.h"

#include "platform/win32/wide_text.h"

namespace kalvor::platform {

std::string PathText(const std::filesystem::path& path) {
    return ToUtf8(path.native());
}

std::string PathBytes(const std::filesystem::path& path) {
    return ToUtf8(path.native());
}

std::filesystem::path PathFromArgument(std::string_view argument) {
    return std::filesystem::path(ToWide(argument));
}

}  // namespace kalvor::platform
