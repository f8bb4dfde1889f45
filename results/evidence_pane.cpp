#include "results/evidence_pane.h"

#include <QAbstractItemView>
#include <QTextCursor>
#include <optional>

#include "report/cell_texts.h"
#include "report/evidence_text.h"
#include "results/results_model.h"

namespace kalvor::results {

namespace {

constexpr int kLinesShown = 6;

QString FromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString FromUtf16(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

// The marking stands out from its context whatever the palette: dark on bright, in bold.
QTextCharFormat MarkingFormat() {
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setBackground(QColor(255, 221, 0));
    format.setForeground(Qt::black);
    return format;
}

// The text goes in as characters, never as markup: a document's words are whatever its author
// (or an attacker) wrote.
void AddHit(QTextCursor& cursor, const scan::EvidenceHit& hit) {
    const QTextCharFormat plain;
    cursor.insertText(QStringLiteral("%1　%2　")
                          .arg(FromUtf8(report::DescribeGrade(hit.grade)),
                               FromUtf8(report::DescribePlace(hit.place))),
                      plain);
    cursor.insertText(FromUtf16(hit.before), plain);
    cursor.insertText(FromUtf16(hit.marking), MarkingFormat());
    cursor.insertText(FromUtf16(hit.after), plain);
}

// The one row the selection holds, if it holds one and no other.
std::optional<int> SoleSelectedRow(const QItemSelectionModel& selection) {
    std::optional<int> sole;
    for (const QItemSelectionRange& range : selection.selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (sole.has_value() && *sole != row) {
                return std::nullopt;
            }
            sole = row;
        }
    }
    return sole;
}

}  // namespace

EvidencePane::EvidencePane(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
}

QSize EvidencePane::sizeHint() const {
    return {QTextEdit::sizeHint().width(), kLinesShown * fontMetrics().lineSpacing() +
                                               2 * frameWidth() +
                                               2 * static_cast<int>(document()->documentMargin())};
}

void EvidencePane::ShowRow(const scan::ResultRow* row) {
    clear();
    if (row == nullptr) {
        return;
    }
    QTextCursor cursor(document());
    bool first = true;
    const auto nextLine = [&] {
        if (!first) {
            cursor.insertBlock();
        }
        first = false;
    };
    if (const std::string_view access = report::AccessText(row->access); !access.empty()) {
        nextLine();
        cursor.insertText(QStringLiteral("读取方式：%1").arg(FromUtf8(access)));
    }
    if (row->evidence.empty()) {
        nextLine();
        cursor.insertText(FromUtf8(report::DescribeGrade(scan::DocumentGrade(row->evidence))));
    }
    for (const scan::EvidenceHit& hit : row->evidence) {
        nextLine();
        AddHit(cursor, hit);
    }
}

void EvidencePane::Follow(const QAbstractItemView& list, const ResultsModel& rows) {
    const auto refresh = [this, &list, &rows] { ShowSelectedRow(list, rows); };
    connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this, refresh);
    // A reset clears the selection without a word, a removal may leave it where it was, and a
    // sort carries it along with its rows without one: the pane asks again after each.
    connect(&rows, &QAbstractItemModel::modelReset, this, refresh);
    connect(&rows, &QAbstractItemModel::rowsRemoved, this, refresh);
    connect(&rows, &QAbstractItemModel::layoutChanged, this, refresh);
    refresh();
}

void EvidencePane::ShowSelectedRow(const QAbstractItemView& list, const ResultsModel& rows) {
    const std::optional<int> row = SoleSelectedRow(*list.selectionModel());
    ShowRow(row.has_value() && *row < rows.rowCount() ? &rows.RowAt(*row) : nullptr);
}

}  // namespace kalvor::results
