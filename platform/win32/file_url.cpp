#include "platform/file_url.h"

#include "platform/win32/wide_text.h"

namespace kalvor::platform {

std::string FileUrl(const std::filesystem::path& path) {
    // "C:/dir/name" becomes "file:///C:/dir/name"; a share "//server/share/name" becomes
    // "file://server/share/name", the server as the URL's host.
    const std::string generic = ToUtf8(path.generic_wstring());
    const std::string encoded = PercentEncodedPath(generic);
    return generic.starts_with("//") ? "file:" + encoded : "file:///" + encoded;
}

}  // namespace kalvor::platform
