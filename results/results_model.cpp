#include "results/results_model.h"

#include <QFont>
#include <algorithm>
#include <numeric>
#include <utility>

#include "report/cell_texts.h"
#include "report/evidence_text.h"
#include "results/path_text.h"
#include "results/result_columns.h"
#include "results/row_positions.h"

namespace kalvor::results {

namespace {

// Up to this many runs of rows, removing them one range at a time stays well under a frame.
constexpr std::size_t kRunsRemovedAsRanges = 64;

QString NumberText(std::size_t index) {
    return QString::fromStdString(report::RowNumberText(index));
}

// Nothing for a row that carries no hits, as the export's 判断 cell.
QString GradeText(const std::vector<scan::EvidenceHit>& hits) {
    return hits.empty() ? QString()
                        : QString::fromUtf8(report::DescribeGrade(scan::DocumentGrade(hits)));
}

// The grades are declared strongest first, and a row without hits has the weakest, Unknown.
int GradeRank(const scan::ResultRow& row) {
    return static_cast<int>(scan::DocumentGrade(row.evidence));
}

}  // namespace

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString ResultsModel::CellText(int row, int column) const {
    const NumberedRow& entry = rows_.at(static_cast<std::size_t>(row));
    switch (column) {
        case 0:
            return entry.number;
        case 1:
            return ShowPath(entry.row.path).text;
        case 2:
            return QString::fromStdString(report::SizeText(entry.row.size));
        case 3:
            return QString::fromStdString(report::StampText(entry.row.creationTime));
        case 4:
            return QString::fromStdString(report::StampText(entry.row.lastWriteTime));
        case kGradeColumn:
            return GradeText(entry.row.evidence);
        default:
            return {};
    }
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return CellText(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(ColumnAt(index.column()).alignment);
        case Qt::ToolTipRole:
        case Qt::FontRole:
            return EscapedPathMark(index, role);
        default:
            return {};
    }
}

QVariant ResultsModel::EscapedPathMark(const QModelIndex& index, int role) const {
    if (index.column() != kPathColumn) {
        return {};
    }
    const ShownPath shown = ShowPath(RowAt(index.row()).path);
    if (!shown.escaped) {
        return {};
    }
    if (role == Qt::ToolTipRole) {
        return shown.text + QStringLiteral(
                                "\n（文件名含换行、控制字符或不是 UTF-8 的字节，"
                                "已按 kalvor-scan 的写法转义：\\n、\\xNN 等）");
    }
    QFont italic;
    italic.setItalic(true);
    return italic;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return {};
    }
    const ResultColumn& column = ColumnAt(section);
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromUtf16(column.header);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(column.alignment);
        default:
            return {};
    }
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool ResultsModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount()) {
        return false;
    }
    beginRemoveRows(parent, row, row + count - 1);
    rows_.erase(rows_.begin() + row, rows_.begin() + row + count);
    endRemoveRows();
    return true;
}

int ResultsModel::AppendRow(const scan::ResultRow& row) {
    const int index = rowCount();
    beginInsertRows({}, index, index);
    rows_.push_back({NumberText(rows_.size()), row, appended_++});
    endInsertRows();
    return index;
}

bool ResultsModel::RemoveRows(const std::vector<int>& rows) {
    const std::vector<RowRun> runs = RunsOf(rows);
    if (runs.size() <= kRunsRemovedAsRanges) {
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            removeRows(run->first, run->last - run->first + 1);
        }
        return false;
    }
    beginResetModel();
    std::vector<bool> drop(rows_.size());
    for (const int row : rows) {
        drop[static_cast<std::size_t>(row)] = true;
    }
    std::size_t index = 0;
    std::erase_if(rows_, [&](const NumberedRow&) { return drop[index++]; });
    endResetModel();
    return true;
}

void ResultsModel::sort(int column, Qt::SortOrder order) {
    const auto key = [column](const NumberedRow& entry) {
        return column == kGradeColumn ? GradeRank(entry.row) : 0;
    };
    const bool descending = column == kGradeColumn && order == Qt::DescendingOrder;
    std::vector<std::size_t> sorted(rows_.size());
    std::iota(sorted.begin(), sorted.end(), std::size_t{0});
    std::ranges::sort(sorted, [&](std::size_t a, std::size_t b) {
        const int keyA = key(rows_[a]);
        const int keyB = key(rows_[b]);
        if (keyA != keyB) {
            return descending ? keyA > keyB : keyA < keyB;
        }
        return rows_[a].found < rows_[b].found;
    });

    emit layoutAboutToBeChanged({}, VerticalSortHint);
    std::vector<int> newPlace(rows_.size());
    std::vector<NumberedRow> reordered;
    reordered.reserve(rows_.size());
    for (const std::size_t from : sorted) {
        newPlace[from] = static_cast<int>(reordered.size());
        reordered.push_back(std::move(rows_[from]));
    }
    rows_ = std::move(reordered);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before) {
        after.push_back(
            this->index(newPlace[static_cast<std::size_t>(index.row())], index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, VerticalSortHint);
    Renumber();
}

void ResultsModel::Renumber() {
    if (rows_.empty()) {
        return;
    }
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].number = NumberText(i);
    }
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DisplayRole});
}

std::vector<platform::FileIdentity> ResultsModel::ListedIdentities() const {
    std::vector<platform::FileIdentity> identities;
    for (const NumberedRow& entry : rows_) {
        if (entry.row.fingerprint.identity != platform::FileIdentity{}) {
            identities.push_back(entry.row.fingerprint.identity);
        }
    }
    return identities;
}

void ResultsModel::Clear() {
    if (rows_.empty()) {
        return;
    }
    beginResetModel();
    rows_.clear();
    endResetModel();
}

}  // namespace kalvor::results
