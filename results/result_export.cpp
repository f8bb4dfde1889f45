#include "results/result_export.h"

#include <QDir>
#include <array>

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

std::string ColumnTitles() {
    std::array<std::string, kResultColumns.size() + 1> titles;
    for (std::size_t column = 0; column < kResultColumns.size(); ++column) {
        // The spaces around a header pad it on screen; in a spreadsheet they would be part of it.
        titles[column] = Utf8(QString::fromUtf16(kResultColumns[column].header).trimmed());
    }
    titles.back() = kEscapedTitle;
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
    text += ColumnTitles();
    std::array<std::string, kResultColumns.size() + 1> cells;
    for (int row = 0; row < results.rowCount(); ++row) {
        for (std::size_t column = 0; column < kResultColumns.size(); ++column) {
            cells[column] = Utf8(results.CellText(row, static_cast<int>(column)));
        }
        cells.back() = EscapedField(results.RowAt(row).path);
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
