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
#include <atomic>

#include "commands/command_map.h"
#include "res/resource.h"
#include "results/action_error.h"
#include "results/background_run.h"
#include "results/context_menu.h"
#include "results/copy_outcome.h"
#include "results/copy_plan.h"
#include "results/desktop_seams.h"
#include "results/failure_report.h"
#include "results/file_actions.h"
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

std::vector<int> RowsOf(const std::vector<RowFailure>& failures) {
    std::vector<int> rows;
    for (const RowFailure& failure : failures) {
        rows.push_back(failure.row);
    }
    return rows;
}

}  // namespace

CkalvorView::CkalvorView(QWidget* parent)
    : QTableView(parent),
      model_(new ResultsModel(this)),
      hover_(new RowHover(this, kHoverSelectDelay)),
      search_(&scan::SearchFolder) {
    setModel(model_);
    setItemDelegate(new RowHoverDelegate(*hover_, this));
    connect(model_, &QAbstractItemModel::rowsRemoved, hover_, &RowHover::Clear);
    connect(model_, &QAbstractItemModel::modelReset, hover_, &RowHover::Clear);
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
        for (std::size_t column = 0; column < kResultColumns.size(); ++column) {
            horizontalHeader()->resizeSection(static_cast<int>(column),
                                              kResultColumns[column].width);
        }
        columnsSized_ = true;
    }
    viewport()->update();
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

std::vector<int> CkalvorView::SelectedRows() const {
    // From the selection's ranges: QItemSelectionModel::selectedRows() asks, for every row, every
    // range whether it holds the row.
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(row);
        }
    }
    return SortedUnique(std::move(rows));
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

void CkalvorView::ReportFailures(const QString& text, const QString& caption,
                                 std::vector<int> rows) {
    if (rows.empty()) {
        return;
    }
    SelectOnly(SortedUnique(std::move(rows)));
    ShowWarning(this, text, caption);
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
    std::vector<RowFailure> failures;
    for (const int row : SelectedRows()) {
        // The document's program finds it by its path, so one edited since opens all the same.
        const scan::ResultRow& file = model_->RowAt(row);
        std::error_code error = CheckSameFile(file);
        if (!error && !OpenWithShell(file.path)) {
            error = ActionError::NoApplication;
        }
        if (error) {
            failures.push_back({row, error});
        }
    }
    ReportFailures(FailureReport(QStringLiteral("以下 %1 个文件未能打开："), failures, *model_),
                   QStringLiteral("打开"), RowsOf(failures));
}

void CkalvorView::OnOpenFolder() {
    std::vector<RowFailure> failures;
    for (const int row : SelectedRows()) {
        const scan::ResultRow& file = model_->RowAt(row);
        std::error_code error = CheckListedFolder(file);
        if (!error && !OpenWithShell(file.path.parent_path())) {
            error = ActionError::NoApplication;
        }
        if (error) {
            failures.push_back({row, error});
        }
    }
    ReportFailures(
        FailureReport(QStringLiteral("以下 %1 个文件所在的文件夹未能打开："), failures, *model_),
        QStringLiteral("打开所在文件夹"), RowsOf(failures));
}

void CkalvorView::OnCopyTo() {
    const QString folder = PickFolder(QStringLiteral("请选择文件保存路径"), true);
    if (!IsUsableFolder(folder)) {
        return;
    }
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        return;
    }
    std::vector<CopySource> selected;
    for (const int row : rows) {
        selected.push_back({row, model_->RowAt(row)});
    }
    const std::vector<CopyTarget> targets = PlanCopies(selected, PathFromText(folder));
    const std::vector<platform::FileIdentity> listed = model_->ListedIdentities();
    std::atomic<int> copied = 0;
    std::atomic<bool> stop = false;
    CopyReport report;
    const auto progress = [&targets](int done) {
        return QStringLiteral("已复制 %1 个文件，共 %2 个").arg(done).arg(targets.size());
    };
    RunInBackground(
        this,
        {.title = QStringLiteral("正在复制"),
         .stopping = QStringLiteral("正在停止复制……"),
         .widest = progress(static_cast<int>(targets.size()))},
        [&] { report = CarryOutCopies(targets, listed, copied, stop); },
        [&] { return progress(copied.load(std::memory_order_relaxed)); },
        [&] { stop.store(true, std::memory_order_relaxed); });

    ReportFailures(CopyOutcomeText(report, *model_), QStringLiteral("复制到"),
                   RowsNotCopied(report));
}

void CkalvorView::OnDeleteFile() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        return;
    }
    // Rows leave the list in one pass once every file has been tried, so deleting thousands
    // does not move the rest of the list once per file. The rows whose files stay remain
    // selected, where they are after the others left.
    std::vector<int> deleted;
    std::vector<RowFailure> failures;
    for (const int row : rows) {
        const scan::ResultRow& file = model_->RowAt(row);
        std::error_code error = CheckListedFile(file);
        if (!error && RemoveFile(file.path, &error)) {
            deleted.push_back(row);
        } else {
            failures.push_back({row, error});
        }
    }
    const QString text =
        FailureReport(QStringLiteral("以下 %1 个文件未能删除："), failures, *model_);
    RemoveRowsKeepingPlace(deleted);
    SelectOnly(PositionsAfterRemoval(RowsOf(failures), deleted));
    if (!failures.empty()) {
        ShowWarning(this, text, QStringLiteral("删除文件"));
    }
}

void CkalvorView::OnRemoveFromList() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        return;
    }
    RemoveRowsKeepingPlace(rows);
    selectionModel()->clearSelection();
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
