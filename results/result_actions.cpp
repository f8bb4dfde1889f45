#include "results/result_actions.h"

#include <atomic>
#include <system_error>

#include "results/action_error.h"
#include "results/background_run.h"
#include "results/copy_outcome.h"
#include "results/copy_plan.h"
#include "results/desktop_seams.h"
#include "results/failure_report.h"
#include "results/file_actions.h"
#include "results/path_text.h"
#include "results/row_positions.h"

namespace kalvor::results {

namespace fs = std::filesystem;

namespace {

std::vector<int> RowsOf(const std::vector<RowFailure>& failures) {
    std::vector<int> rows;
    for (const RowFailure& failure : failures) {
        rows.push_back(failure.row);
    }
    return rows;
}

// When the files of `rows` were left as they were: just those rows stay selected, and `warning`
// says why.
ActionOutcome LeftAlone(const QString& warning, const QString& caption, std::vector<int> rows) {
    if (rows.empty()) {
        return {};
    }
    return {.selected = SortedUnique(std::move(rows)), .warning = warning, .caption = caption};
}

// Hands the desktop what `target` makes of each row that `check` lets through.
ActionOutcome OpenEach(const std::vector<SelectedRow>& selection,
                       std::error_code (*check)(const scan::ResultRow&),
                       fs::path (*target)(const scan::ResultRow&), const QString& heading,
                       const QString& caption) {
    std::vector<RowFailure> failures;
    for (const SelectedRow& selected : selection) {
        std::error_code error = check(selected.file);
        if (!error && !OpenWithShell(target(selected.file))) {
            error = ActionError::NoApplication;
        }
        if (error) {
            failures.push_back({selected.row, error});
        }
    }
    return LeftAlone(FailureReport(heading, failures, selection), caption, RowsOf(failures));
}

}  // namespace

ActionOutcome ResultActions::OpenFiles(const std::vector<SelectedRow>& selection) const {
    // The document's program finds it by its path, so one edited since opens all the same.
    return OpenEach(
        selection, &CheckSameFile, [](const scan::ResultRow& file) { return file.path; },
        QStringLiteral("以下 %1 个文件未能打开："), QStringLiteral("打开"));
}

ActionOutcome ResultActions::OpenFolders(const std::vector<SelectedRow>& selection) const {
    return OpenEach(
        selection, &CheckListedFolder,
        [](const scan::ResultRow& file) { return file.path.parent_path(); },
        QStringLiteral("以下 %1 个文件所在的文件夹未能打开："), QStringLiteral("打开所在文件夹"));
}

std::optional<fs::path> ResultActions::AskCopyFolder() const {
    const QString folder = PickFolder(QStringLiteral("请选择文件保存路径"), true);
    if (!IsUsableFolder(folder)) {
        return std::nullopt;
    }
    return PathFromText(folder);
}

ActionOutcome ResultActions::CopyFiles(const std::vector<SelectedRow>& selection,
                                       const fs::path& folder,
                                       const std::vector<platform::FileIdentity>& listed) const {
    if (selection.empty()) {
        return {};
    }
    const std::vector<CopyTarget> targets = PlanCopies(selection, folder);
    std::atomic<int> copied = 0;
    std::atomic<bool> stop = false;
    CopyReport report;
    const int total = static_cast<int>(targets.size());
    const auto progress = [total](int done) {
        return BackgroundProgress{
            .label = QStringLiteral("已复制 %1 个文件，共 %2 个").arg(done).arg(total),
            .done = done,
            .total = total};
    };
    RunInBackground(
        owner_,
        {.title = QStringLiteral("正在复制"),
         .stopping = QStringLiteral("正在停止复制……"),
         .widest = progress(total).label},
        [&] { report = CarryOutCopies(targets, listed, copied, stop); },
        [&] { return progress(copied.load(std::memory_order_relaxed)); },
        [&] { stop.store(true, std::memory_order_relaxed); });
    return LeftAlone(CopyOutcomeText(report, selection), QStringLiteral("复制到"),
                     RowsNotCopied(report));
}

ActionOutcome ResultActions::DeleteFiles(const std::vector<SelectedRow>& selection) const {
    if (selection.empty()) {
        return {};
    }
    // Rows leave the list in one pass once every file has been tried, so deleting thousands
    // does not move the rest of the list once per file. The rows whose files stay remain
    // selected, where they are after the others left.
    std::vector<int> deleted;
    std::vector<RowFailure> failures;
    for (const SelectedRow& selected : selection) {
        std::error_code error = CheckListedFile(selected.file);
        if (!error && RemoveFile(selected.file.path, &error)) {
            deleted.push_back(selected.row);
        } else {
            failures.push_back({selected.row, error});
        }
    }
    ActionOutcome outcome{.removed = deleted,
                          .selected = PositionsAfterRemoval(RowsOf(failures), deleted)};
    if (!failures.empty()) {
        outcome.warning =
            FailureReport(QStringLiteral("以下 %1 个文件未能删除："), failures, selection);
        outcome.caption = QStringLiteral("删除文件");
    }
    return outcome;
}

ActionOutcome ResultActions::RemoveRows(const std::vector<SelectedRow>& selection) const {
    if (selection.empty()) {
        return {};
    }
    ActionOutcome outcome{.selected = std::vector<int>{}};
    outcome.removed.reserve(selection.size());
    for (const SelectedRow& selected : selection) {
        outcome.removed.push_back(selected.row);
    }
    return outcome;
}

}  // namespace kalvor::results
