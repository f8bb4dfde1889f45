#include "results/kalvor_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelection>
#include <QMenu>
#include <algorithm>
#include <array>

#include "app/command_map.h"
#include "res/resource.h"
#include "results/context_menu.h"
#include "results/desktop_seams.h"
#include "results/file_actions.h"
#include "results/path_text.h"
#include "results/result_columns.h"
#include "results/result_export.h"
#include "results/results_model.h"
#include "results/row_hover.h"

namespace kalvor::results {

namespace {

// Windows' default mouse hover time; Qt has no setting for it.
constexpr std::chrono::milliseconds kHoverSelectDelay{400};

using Entry = app::CommandMapEntry<CkalvorView>;

constexpr std::array<Entry, 7> kCommandEntries{{
    app::OnCommandEntry<CkalvorView>(ID_SHELL_OPEN, &CkalvorView::OnShellOpen),
    app::OnCommandEntry<CkalvorView>(ID_DELETE_FILE, &CkalvorView::OnDeleteFile),
    app::OnCommandEntry<CkalvorView>(ID_OPEN_FOLDER, &CkalvorView::OnOpenFolder),
    app::OnCommandEntry<CkalvorView>(ID_REMOVE_FROM_LIST, &CkalvorView::OnRemoveFromList),
    app::OnCommandEntry<CkalvorView>(ID_COPY_TO, &CkalvorView::OnCopyTo),
    app::OnCommandEntry<CkalvorView>(ID_FILE_OPEN, &CkalvorView::OnSearchFolder),
    app::OnCommandEntry<CkalvorView>(ID_FILE_EXPORT, &CkalvorView::OnExportResults),
}};

constexpr app::CommandMap<CkalvorView> kCommandMap{kCommandEntries};

}  // namespace

CkalvorView::CkalvorView(QWidget* parent)
    : QTableView(parent),
      model_(new ResultsModel(this)),
      hover_(new RowHover(this, kHoverSelectDelay)),
      walk_(&scan::SearchFolder) {
    setModel(model_);
    setItemDelegate(new RowHoverDelegate(*hover_, this));
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

void CkalvorView::SetFolderWalk(FolderWalk walk) {
    walk_ = std::move(walk);
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
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CkalvorView::SelectOnly(const std::vector<int>& rows) {
    // One range per run of rows in a row, as selecting row by row costs a pass per row.
    QItemSelection selection;
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t last = first;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) {
            ++last;
        }
        selection.select(model_->index(rows[first], 0),
                         model_->index(rows[last], model_->columnCount() - 1));
        first = last + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CkalvorView::OnSearchFolder() {
    const QString folder = PickFolder(QStringLiteral("请选择搜索路径"), false);
    if (!IsUsableFolder(folder)) {
        return;
    }
    model_->Clear();
    notExamined_ = RunSearch(this, PathFromText(folder), walk_,
                             [this](const scan::ResultRow& row) { AddResultRow(row); });
    emit SearchFinished(notExamined_);
    ShowMessage(this, QStringLiteral("一共找到 %1 个符合要求的文件！").arg(model_->rowCount()),
                QStringLiteral("完成搜索"));
}

void CkalvorView::OnShellOpen() {
    for (const int row : SelectedRows()) {
        OpenWithShell(model_->RowAt(row).path);
    }
}

void CkalvorView::OnOpenFolder() {
    for (const int row : SelectedRows()) {
        OpenWithShell(model_->RowAt(row).path.parent_path());
    }
}

void CkalvorView::OnCopyTo() {
    const QString folder = PickFolder(QStringLiteral("请选择文件保存路径"), true);
    if (!IsUsableFolder(folder)) {
        return;
    }
    const std::filesystem::path destination = PathFromText(folder);
    for (const int row : SelectedRows()) {
        CopyIntoFolder(model_->RowAt(row).path, destination);
    }
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
    std::vector<int> kept;
    for (const int row : rows) {
        if (RemoveFile(model_->RowAt(row).path)) {
            deleted.push_back(row);
        } else {
            kept.push_back(row - static_cast<int>(deleted.size()));
        }
    }
    model_->RemoveRows(deleted);
    RenumberRows();
    SelectOnly(kept);
}

void CkalvorView::OnRemoveFromList() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        return;
    }
    model_->RemoveRows(rows);
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
