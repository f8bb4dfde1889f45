#include "results/result_export.h"

#include <QDir>
#include <array>
#include <vector>

#include "platform/file_operations.h"
#include "report/csv_record.h"
#include "results/action_error.h"
#include "results/desktop_seams.h"
#include "results/path_text.h"
#include "results/result_columns.h"
#include "results/results_model.h"

namespace kalvor::results {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// The last field of a record that names a file: 1 when its path is escaped as kalvor-scan escapes
// it (a reader turns it back into the exact bytes), 0 when it stands as it is.
constexpr std::string_view kEscapedTitle = "文件名已转义";

std::string Utf8(const QString& text) {
    return text.toStdString();
}

std::string EscapedField(const std::filesystem::path& path) {
    return ShowPath(path).escaped ? "1" : "0";
}

// A field after it says how each file was read, only in a report of a search that read some file
// otherwise than every file is read (the user included read-only documents or documents in use),
// so a report of a default search stays as it always was.
constexpr std::string_view kAccessTitle = "读取方式";

std::string AccessText(platform::FileAccess access) {
    switch (access) {
        case platform::FileAccess::Ordinary:
            return {};
        case platform::FileAccess::ReadOnly:
            return "只读";
        case platform::FileAccess::InUse:
            return "被其他程序占用";
    }
    return {};
}

bool AnyReadOtherwise(const ResultsModel& results) {
    for (int row = 0; row < results.rowCount(); ++row) {
        if (results.RowAt(row).access != platform::FileAccess::Ordinary) {
            return true;
        }
    }
    return false;
}

std::string ColumnTitles(bool withAccess) {
    std::vector<std::string> titles;
    for (const ResultColumn& column : kResultColumns) {
        // The spaces around a header pad it on screen; in a spreadsheet they would be part of it.
        titles.push_back(Utf8(QString::fromUtf16(column.header).trimmed()));
    }
    titles.emplace_back(kEscapedTitle);
    if (withAccess) {
        titles.emplace_back(kAccessTitle);
    }
    return report::CsvRecord(titles);
}

// Writing makes the file, so a path that leads nowhere can only lack its folder.
std::error_code WritingReason(const std::error_code& error) {
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return ActionError::FolderGone;
    }
    return error;
}

}  // namespace

std::string ExportText(const ResultsModel& results,
                       const std::vector<NotExaminedFile>& notExamined) {
    std::string text(kUtf8ByteOrderMark);
    const bool withAccess = AnyReadOtherwise(results);
    text += ColumnTitles(withAccess);
    std::vector<std::string> cells;
    for (int row = 0; row < results.rowCount(); ++row) {
        cells.clear();
        for (std::size_t column = 0; column < kResultColumns.size(); ++column) {
            cells.push_back(Utf8(results.CellText(row, static_cast<int>(column))));
        }
        cells.push_back(EscapedField(results.RowAt(row).path));
        if (withAccess) {
            cells.push_back(AccessText(results.RowAt(row).access));
        }
        text += report::CsvRecord(cells);
    }
    if (!notExamined.empty()) {
        text += "\r\n";
        text += report::CsvRecord(std::array<std::string, 3>{"未能检查的文件或文件夹", "原因",
                                                             std::string(kEscapedTitle)});
        for (const NotExaminedFile& entry : notExamined) {
            text += report::CsvRecord(std::array<std::string, 3>{
                Utf8(ShowPath(entry.path).text), ReasonText(entry), EscapedField(entry.path)});
        }
    }
    return text;
}

void ExportResults(QWidget* owner, const ResultsModel& results,
                   const std::vector<NotExaminedFile>& notExamined) {
    const QString title = QStringLiteral("导出结果");
    const QString name =
        PickSaveFile(owner, title, QDir::home().filePath(QStringLiteral("搜索结果.csv")));
    if (name.isEmpty()) {
        return;
    }
    const std::error_code error =
        platform::ReplaceWithBytes(PathFromText(name), ExportText(results, notExamined));
    if (error) {
        ShowWarning(owner,
                    QStringLiteral("无法导出到“%1”：%2")
                        .arg(QDir::toNativeSeparators(name), ReasonText(WritingReason(error))),
                    title);
    }
}

}  // namespace kalvor::results
