#include "results/kalvor_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelection>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <array>

#include "commands/command_map.h"
#include "res/resource.h"
#include "results/context_menu.h"
#include "results/desktop_seams.h"
#include "results/path_text.h"
#include "results/result_columns.h"
#include "results/result_export.h"
#include "results/results_model.h"
#include "results/row_hover.h"
#include "results/row_positions.h"

namespace kalvor::results {

namespace {

// Windows' default mouse hover time; Qt has no setting for it.
constexpr std::chrono::milliseconds kHoverSelectDelay{400};

using Entry = commands::CommandMapEntry<CkalvorView>;

constexpr std::array<Entry, 7> kCommandEntries{{
    commands::OnCommandEntry<CkalvorView>(ID_SHELL_OPEN, &CkalvorView::OnShellOpen),
    commands::OnCommandEntry<CkalvorView>(ID_DELETE_FILE, &CkalvorView::OnDeleteFile),
    commands::OnCommandEntry<CkalvorView>(ID_OPEN_FOLDER, &CkalvorView::OnOpenFolder),
    commands::OnCommandEntry<CkalvorView>(ID_REMOVE_FROM_LIST, &CkalvorView::OnRemoveFromList),
    commands::OnCommandEntry<CkalvorView>(ID_COPY_TO, &CkalvorView::OnCopyTo),
    commands::OnCommandEntry<CkalvorView>(ID_FILE_OPEN, &CkalvorView::OnSearchFolder),
    commands::OnCommandEntry<CkalvorView>(ID_FILE_EXPORT, &CkalvorView::OnExportResults),
}};

constexpr commands::CommandMap<CkalvorView> kCommandMap{kCommandEntries};

}  // namespace

CkalvorView::CkalvorView(QWidget* parent)
    : QTableView(parent),
      model_(new ResultsModel(this)),
      hover_(new RowHover(this, kHoverSelectDelay)),
      actions_(this),
      search_(&scan::SearchFolder) {
    setModel(model_);
    setItemDelegate(new RowHoverDelegate(*hover_, this));
    connect(model_, &QAbstractItemModel::rowsRemoved, hover_, &RowHover::Clear);
    connect(model_, &QAbstractItemModel::modelReset, hover_, &RowHover::Clear);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CkalvorView::OnHeaderClicked);
    setColumnHidden(kGradeColumn, true);
}

QSize CkalvorView::sizeHint() const {
    int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    for (const ResultColumn& column : kResultColumns) {
        width += column.width;
    }
    return {width, QTableView::sizeHint().height()};
}

void CkalvorView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid()) {
        return;
    }
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.rect = visualRect(model_->index(current.row(), 0))
                     .united(visualRect(model_->index(current.row(), model_->columnCount() - 1)));
    frame.backgroundColor = palette().color(
        selectionModel()->isRowSelected(current.row()) ? QPalette::Highlight : QPalette::Base);
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

void CkalvorView::OnInitialUpdate() {
    setShowGrid(true);
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    if (!columnsSized_) {
        for (int column = 0; column < kColumnCount; ++column) {
            horizontalHeader()->resizeSection(column, ColumnAt(column).width);
        }
        columnsSized_ = true;
    }
    viewport()->update();
}

void CkalvorView::ShowGradeColumn(bool shown) {
    setColumnHidden(kGradeColumn, !shown);
}

void CkalvorView::OnHeaderClicked(int section) {
    if (section != kGradeColumn) {
        // The header has moved its indicator to the section clicked, which orders nothing.
        ShowGradeOrder();
        return;
    }
    if (!gradeOrder_.has_value()) {
        gradeOrder_ = Qt::AscendingOrder;
    } else if (*gradeOrder_ == Qt::AscendingOrder) {
        gradeOrder_ = Qt::DescendingOrder;
    } else {
        gradeOrder_.reset();
    }
    SortByGrade();
}

void CkalvorView::ShowGradeOrder() {
    QHeaderView& header = *horizontalHeader();
    header.setSortIndicatorShown(gradeOrder_.has_value());
    header.setSortIndicator(gradeOrder_.has_value() ? kGradeColumn : -1,
                            gradeOrder_.value_or(Qt::AscendingOrder));
}

void CkalvorView::SortByGrade() {
    ShowGradeOrder();
    model_->sort(gradeOrder_.has_value() ? kGradeColumn : -1,
                 gradeOrder_.value_or(Qt::AscendingOrder));
}

int CkalvorView::AddResultRow(const scan::ResultRow& row) {
    return model_->AppendRow(row);
}

void CkalvorView::RenumberRows() {
    model_->Renumber();
}

bool CkalvorView::HasCommand(unsigned id) const {
    return kCommandMap.Has(id);
}

bool CkalvorView::IsCommandAvailable(unsigned id) const {
    // An export of nothing would be a report that says nothing.
    return id != ID_FILE_EXPORT || model_->rowCount() > 0 || !notExamined_.empty();
}

bool CkalvorView::OnCommand(unsigned id) {
    return kCommandMap.Dispatch(*this, id);
}

void CkalvorView::SetFolderSearch(scan::FolderSearch search) {
    search_ = std::move(search);
}

std::vector<SelectedRow> CkalvorView::Selection() const {
    // From the selection's ranges: QItemSelectionModel::selectedRows() asks, for every row, every
    // range whether it holds the row.
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(row);
        }
    }
    std::vector<SelectedRow> selection;
    for (const int row : SortedUnique(std::move(rows))) {
        selection.push_back({row, model_->RowAt(row)});
    }
    return selection;
}

void CkalvorView::SelectOnly(const std::vector<int>& rows) {
    // One range per run of rows in a row, as selecting row by row costs a pass per row.
    QItemSelection selection;
    for (const RowRun& run : RunsOf(rows)) {
        selection.select(model_->index(run.first, 0),
                         model_->index(run.last, model_->columnCount() - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CkalvorView::CarryOut(const ActionOutcome& outcome) {
    if (!outcome.removed.empty()) {
        RemoveRowsKeepingPlace(outcome.removed);
    }
    if (outcome.selected.has_value()) {
        SelectOnly(*outcome.selected);
    }
    if (!outcome.warning.isEmpty()) {
        ShowWarning(this, outcome.warning, outcome.caption);
    }
}

void CkalvorView::OnSearchFolder() {
    const QString folder = PickFolder(QStringLiteral("请选择搜索路径"), false);
    if (!IsUsableFolder(folder)) {
        return;
    }
    model_->Clear();
    emit SearchStarted();
    const SearchOutcome outcome =
        RunSearch(this, PathFromText(folder), choice_, search_,
                  [this](const scan::ResultRow& row) { AddResultRow(row); });
    // The rows came in the order found; the order the user chose holds for them too.
    if (gradeOrder_.has_value()) {
        SortByGrade();
    }
    notExamined_ = outcome.notExamined;
    emit SearchFinished(notExamined_, choice_.types);
    if (const std::optional<QString> refusal = FolderNotSearched(outcome)) {
        ShowWarning(this, *refusal, QStringLiteral("无法搜索"));
        return;
    }
    ShowMessage(this, SearchSummary(outcome, model_->rowCount(), choice_.types),
                QStringLiteral("完成搜索"));
}

void CkalvorView::OnShellOpen() {
    CarryOut(actions_.OpenFiles(Selection()));
}

void CkalvorView::OnOpenFolder() {
    CarryOut(actions_.OpenFolders(Selection()));
}

void CkalvorView::OnCopyTo() {
    // The folder comes first; the selection counts as it stands once the picker has closed.
    if (const auto folder = actions_.AskCopyFolder()) {
        CarryOut(actions_.CopyFiles(Selection(), *folder, model_->ListedIdentities()));
    }
}

void CkalvorView::OnDeleteFile() {
    CarryOut(actions_.DeleteFiles(Selection()));
}

void CkalvorView::OnRemoveFromList() {
    CarryOut(actions_.RemoveRows(Selection()));
}

void CkalvorView::RemoveRowsKeepingPlace(const std::vector<int>& rows) {
    const int current = currentIndex().row();
    const int scroll = verticalScrollBar()->value();
    if (model_->RemoveRows(rows)) {
        // A reset forgets the place. The current row goes where the rows left it or, when it went
        // itself, to the row above it (below, at the top), as removing ranges does, and it
        // anchors a Shift selection again.
        if (const auto row = CurrentRowAfterRemoval(current, rows, model_->rowCount())) {
            setCurrentIndex(model_->index(*row, 0));
        }
        doItemsLayout();
        verticalScrollBar()->setValue(scroll);
    }
    RenumberRows();
}

void CkalvorView::OnExportResults() {
    ExportResults(this, *model_, notExamined_);
}

void CkalvorView::OnRightClick(const QPoint& globalPosition) {
    if (!selectionModel()->hasSelection()) {
        return;
    }
    const auto menu = BuildRightMenu(this);
    if (QAction* chosen = PopupMenu(*menu, globalPosition)) {
        OnCommand(CommandOf(*chosen));
    }
}

void CkalvorView::OnDoubleClick() {
    OnShellOpen();
}

void CkalvorView::contextMenuEvent(QContextMenuEvent* event) {
    OnRightClick(event->globalPos());
    event->accept();
}

void CkalvorView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        OnDoubleClick();
    }
}

}  // namespace kalvor::results
