#include "results/failure_report.h"

#include <QStringList>
#include <algorithm>

#include "results/result_columns.h"
#include "results/results_model.h"

namespace kalvor::results {

QString FailureReport(const QString& heading, const std::vector<RowFailure>& failures,
                      const ResultsModel& model) {
    std::vector<RowFailure> ordered = failures;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const RowFailure& a, const RowFailure& b) { return a.row < b.row; });
    QStringList lines{heading.arg(ordered.size())};
    for (const RowFailure& failure : ordered) {
        lines << QStringLiteral("%1：%2").arg(model.CellText(failure.row, kPathColumn),
                                              ReasonText(failure.error));
    }
    return lines.join(u'\n');
}

}  // namespace kalvor::results
