#include "results/failure_report.h"

#include <QStringList>
#include <algorithm>
#include <stdexcept>

#include "results/path_text.h"

namespace kalvor::results {

namespace {

const scan::ResultRow& FileOfRow(const std::vector<SelectedRow>& selection, int row) {
    const auto found = std::lower_bound(
        selection.begin(), selection.end(), row,
        [](const SelectedRow& selected, int wanted) { return selected.row < wanted; });
    if (found == selection.end() || found->row != row) {
        throw std::out_of_range("a row that is not selected");
    }
    return found->file;
}

}  // namespace

QString RowReport(const QString& heading, std::vector<RowNote> notes,
                  const std::vector<SelectedRow>& selection) {
    std::stable_sort(notes.begin(), notes.end(),
                     [](const RowNote& a, const RowNote& b) { return a.row < b.row; });
    QStringList lines{heading.arg(notes.size())};
    for (const RowNote& note : notes) {
        lines << QStringLiteral("%1：%2").arg(DisplayText(FileOfRow(selection, note.row).path),
                                              note.note);
    }
    return lines.join(u'\n');
}

QString FailureReport(const QString& heading, const std::vector<RowFailure>& failures,
                      const std::vector<SelectedRow>& selection) {
    std::vector<RowNote> notes;
    notes.reserve(failures.size());
    for (const RowFailure& failure : failures) {
        notes.push_back({failure.row, ReasonText(failure.error)});
    }
    return RowReport(heading, std::move(notes), selection);
}

}  // namespace kalvor::results
