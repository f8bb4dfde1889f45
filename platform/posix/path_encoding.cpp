#include "platform/path_encoding.h"

#include "platform/utf8.h"

namespace kalvor::platform {

std::string PathText(const std::filesystem::path& path) {
    return ToValidUtf8(path.native());
}

std::string PathBytes(const std::filesystem::path& path) {
    return path.native();
}

std::filesystem::path PathFromArgument(std::string_view argument) {
    return std::filesystem::path(argument);
}

}  // namespace kalvor::platform
