#include "results/path_text.h"

namespace kalvor::results {

std::filesystem::path PathFromText(const QString& text) {
    return std::filesystem::path(text.toStdU16String());
}

QString DisplayText(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    const auto& native = path.native();
    return QString::fromUtf8(native.data(), static_cast<qsizetype>(native.size()));
#endif
}

bool IsUsableFolder(const QString& path) {
    return path.size() >= 2 || path == QStringLiteral("/");
}

}  // namespace kalvor::results
