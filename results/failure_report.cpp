#include "results/failure_report.h"

#include <QStringList>
#include <algorithm>

#include "results/result_columns.h"
#include "results/results_model.h"

namespace kalvor::results {

QString RowReport(const QString& heading, std::vector<RowNote> notes, const ResultsModel& model) {
    std::stable_sort(notes.begin(), notes.end(),
                     [](const RowNote& a, const RowNote& b) { return a.row < b.row; });
    QStringList lines{heading.arg(notes.size())};
    for (const RowNote& note : notes) {
        lines << QStringLiteral("%1：%2").arg(model.CellText(note.row, kPathColumn), note.note);
    }
    return lines.join(u'\n');
}

QString FailureReport(const QString& heading, const std::vector<RowFailure>& failures,
                      const ResultsModel& model) {
    std::vector<RowNote> notes;
    notes.reserve(failures.size());
    for (const RowFailure& failure : failures) {
        notes.push_back({failure.row, ReasonText(failure.error)});
    }
    return RowReport(heading, std::move(notes), model);
}

}  // namespace kalvor::results
