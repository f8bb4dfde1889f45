#pragma once

#include <QTableView>
#include <optional>
#include <vector>

#include "commands/command_target.h"
#include "results/not_examined.h"
#include "results/result_actions.h"
#include "results/search_run.h"
#include "scan/result_row.h"

namespace kalvor::results {

class ResultsModel;
class RowHover;

// The results list: one numbered row per marked document, the search command and the commands
// on the selected rows, which it hands to its ResultActions and whose outcome it carries out.
class CkalvorView final : public QTableView, public commands::CommandTarget {
    Q_OBJECT

  public:
    explicit CkalvorView(QWidget* parent = nullptr);

    // Sets up the list's look; the columns get their widths only the first time, so a second
    // call keeps the columns as the user left them, and the rows.
    void OnInitialUpdate();

    int AddResultRow(const scan::ResultRow& row);
    void RenumberRows();

    // Wide enough for all five columns at their first widths.
    QSize sizeHint() const override;

    // The grade column, after the five, is hidden until the user shows it.
    void ShowGradeColumn(bool shown);
    // A click on the grade column's header orders the rows strongest grade first, a second
    // weakest first, a third as the search found them; the other headers order nothing.
    void OnHeaderClicked(int section);

    bool HasCommand(unsigned id) const override;
    bool IsCommandAvailable(unsigned id) const override;
    bool OnCommand(unsigned id) override;

    void OnSearchFolder();
    void OnShellOpen();
    void OnOpenFolder();
    void OnCopyTo();
    void OnDeleteFile();
    void OnRemoveFromList();
    void OnExportResults();

    void OnRightClick(const QPoint& globalPosition);
    void OnDoubleClick();

    const ResultsModel& Results() const { return *model_; }
    const RowHover& Hover() const { return *hover_; }
    const std::vector<NotExaminedFile>& NotExaminedFiles() const { return notExamined_; }

    // The search the search command runs; tests put a controllable one in its place.
    void SetFolderSearch(scan::FolderSearch search);
    // What every search from now on looks for.
    void SetSearchChoice(const SearchChoice& choice) { choice_ = choice; }

  signals:
    // When a search begins, before the first row of the new search arrives.
    void SearchStarted();
    // After every search, with the documents it could not examine and the folders it could not
    // list, and the types it searched for.
    void SearchFinished(const std::vector<kalvor::results::NotExaminedFile>& notExamined,
                        const kalvor::scan::DocumentTypes& types);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // Top to bottom.
    std::vector<SelectedRow> Selection() const;
    // `rows` in rising order.
    void SelectOnly(const std::vector<int>& rows);
    // Removes `rows` (rising) and renumbers, keeping the scroll position and the current row.
    void RemoveRowsKeepingPlace(const std::vector<int>& rows);
    // Makes the list what the action that gave `outcome` left it to be.
    void CarryOut(const ActionOutcome& outcome);
    // Puts the header's sort indicator, and then the rows, in the grade order chosen.
    void ShowGradeOrder();
    void SortByGrade();

    ResultsModel* model_;
    RowHover* hover_;
    ResultActions actions_;
    scan::FolderSearch search_;
    SearchChoice choice_;
    std::vector<NotExaminedFile> notExamined_;
    bool columnsSized_ = false;
    std::optional<Qt::SortOrder> gradeOrder_;  // nothing: as the search found them
};

}  // namespace kalvor::results
