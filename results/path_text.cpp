#include "results/path_text.h"

#include <system_error>

#include "platform/file_name_rules.h"
#include "platform/path_encoding.h"
#include "report/cell_texts.h"

namespace kalvor::results {

namespace fs = std::filesystem;

namespace {

// The one entry of `folder` whose name shows as `shown`, or `shown` itself when none or several do.
fs::path EntryShownAs(const fs::path& folder, const fs::path& shown) {
    const QString wanted = DisplayText(shown);
    fs::path found;
    int matches = 0;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (DisplayText(entry->path().filename()) == wanted) {
            found = entry->path().filename();
            ++matches;
        }
    }
    return matches == 1 ? found : shown;
}

}  // namespace

fs::path PathFromText(const QString& text) {
    const fs::path lossy(text.toStdU16String());
    std::error_code error;
    if (!text.contains(QChar::ReplacementCharacter) || fs::exists(lossy, error)) {
        return lossy;
    }
    fs::path path = lossy.root_path();
    for (const fs::path& element : lossy.relative_path()) {
        path /= DisplayText(element).contains(QChar::ReplacementCharacter)
                    ? EntryShownAs(path.empty() ? fs::path(".") : path, element)
                    : element;
    }
    return path;
}

QString DisplayText(const fs::path& path) {
    return QString::fromStdString(platform::PathText(path));
}

ShownPath ShowPath(const fs::path& path) {
    report::PathCell cell = report::PathCellOf(path);
    return {QString::fromStdString(cell.text), cell.escaped};
}

bool IsUsableFolder(const QString& path) {
    return path.size() >= 2 || path == QStringLiteral("/");
}

}  // namespace kalvor::results
