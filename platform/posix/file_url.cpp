#include "platform/file_url.h"

namespace kalvor::platform {

std::string FileUrl(const std::filesystem::path& path) {
    return "file://" + PercentEncodedPath(path.native());
}

}  // namespace kalvor::platform
