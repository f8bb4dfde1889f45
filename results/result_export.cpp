#include "results/result_export.h"

#include <QDir>

#include "platform/file_operations.h"
#include "report/writers.h"
#include "results/action_error.h"
#include "results/desktop_seams.h"
#include "results/path_text.h"
#include "results/result_columns.h"
#include "results/results_model.h"

namespace kalvor::results {

namespace {

std::vector<std::string> ColumnTitles() {
    std::vector<std::string> titles;
    for (const ResultColumn& column : kResultColumns) {
        // The spaces around a header pad it on screen; in a spreadsheet they would be part of it.
        titles.push_back(QString::fromUtf16(column.header).trimmed().toStdString());
    }
    return titles;
}

std::string NotSearchedRecord(report::ReportWriter& writer, const NotExaminedFile& entry) {
    if (const auto* folder = std::get_if<scan::FolderNotListedReason>(&entry.reason)) {
        return writer.FolderNotListed(entry.path, *folder);
    }
    return writer.NotExamined(entry.path, std::get<scan::NotExaminedReason>(entry.reason));
}

bool AnyReadOtherwise(const ResultsModel& results) {
    for (int row = 0; row < results.rowCount(); ++row) {
        if (results.RowAt(row).access != platform::FileAccess::Ordinary) {
            return true;
        }
    }
    return false;
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
    const std::unique_ptr<report::ReportWriter> writer =
        report::MakeExportWriter(ColumnTitles(), AnyReadOtherwise(results));
    std::string text = writer->Start();
    // The list is numbered 1 to n whenever it can be exported: each removal renumbers it.
    for (int row = 0; row < results.rowCount(); ++row) {
        text += writer->Row(static_cast<std::size_t>(row), results.RowAt(row));
    }
    for (const NotExaminedFile& entry : notExamined) {
        text += NotSearchedRecord(*writer, entry);
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
