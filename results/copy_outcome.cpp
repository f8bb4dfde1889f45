#include "results/copy_outcome.h"

#include <QStringList>

#include "report/cell_texts.h"
#include "results/failure_report.h"

namespace kalvor::results {

QString CopyOutcomeText(const CopyReport& report, const std::vector<SelectedRow>& selection) {
    QStringList paragraphs;
    if (!report.failures.empty()) {
        paragraphs << FailureReport(QStringLiteral("以下 %1 个文件未能复制："), report.failures,
                                    selection);
    }
    if (!report.superseded.empty()) {
        std::vector<RowNote> notes;
        notes.reserve(report.superseded.size());
        for (const SupersededCopy& superseded : report.superseded) {
            // An action finds the list numbered 1 to n: each removal renumbers it.
            const std::string number =
                report::RowNumberText(static_cast<std::size_t>(superseded.by));
            notes.push_back(
                {superseded.row,
                 QStringLiteral("由第 %1 行的同名文件取代").arg(QString::fromStdString(number))});
        }
        paragraphs << RowReport(
            QStringLiteral("以下 %1 个文件没有复制，因为下方选中的同名文件取代了它们："),
            std::move(notes), selection);
    }
    if (!report.notCopied.empty()) {
        paragraphs
            << QStringLiteral("复制已取消，另有 %1 个文件未复制。").arg(report.notCopied.size());
    }
    return paragraphs.join(QStringLiteral("\n\n"));
}

std::vector<int> RowsNotCopied(const CopyReport& report) {
    std::vector<int> rows(report.notCopied);
    for (const RowFailure& failure : report.failures) {
        rows.push_back(failure.row);
    }
    for (const SupersededCopy& superseded : report.superseded) {
        rows.push_back(superseded.row);
    }
    return rows;
}

}  // namespace kalvor::results
