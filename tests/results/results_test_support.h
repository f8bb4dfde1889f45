#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_operations.h"
#include "results/desktop_seams.h"
#include "results/result_actions.h"
#include "results/results_model.h"
#include "results/selected_row.h"
#include "scan/result_row.h"
#include "tests/support/temp_dir.h"

namespace kalvor::testing {

// Stands in for the desktop while it lives: the picker gives the queued answers (then cancels),
// and messages, opened paths and shown menus are recorded instead of shown.
class FakeDesktop {
  public:
    struct Message {
        QWidget* parent;
        QString text;
        QString caption;
    };
    struct Pick {
        QString title;
        bool allowNewFolder;
    };
    struct MenuItem {
        unsigned id;  // 0 for a separator
        QString text;
        friend bool operator==(const MenuItem&, const MenuItem&) = default;
    };

    FakeDesktop() {
        results::DesktopHooks hooks = results::InstalledDesktopHooks();
        hooks.pickFolder = [this](const QString& title, bool allowNewFolder) {
            picks.push_back({title, allowNewFolder});
            return NextAnswer(folderAnswers);
        };
        hooks.showMessage = [this](QWidget* parent, const QString& text, const QString& caption) {
            messages.push_back({parent, text, caption});
        };
        hooks.openWithShell = [this](const std::filesystem::path& path) {
            opened.push_back(path);
            return std::find(unopenable.begin(), unopenable.end(), path) == unopenable.end();
        };
        hooks.popupMenu = [this](QMenu& menu, const QPoint&) -> QAction* {
            std::vector<MenuItem> items;
            QAction* chosen = nullptr;
            for (QAction* action : menu.actions()) {
                items.push_back({action->data().toUInt(), action->text()});
                if (!action->isSeparator() && action->data().toUInt() == menuChoice) {
                    chosen = action;
                }
            }
            menus.push_back(std::move(items));
            return chosen;
        };
        hooks.showWarning = [this](QWidget* parent, const QString& text, const QString& caption) {
            warnings.push_back({parent, text, caption});
        };
        hooks.pickSaveFile = [this](QWidget*, const QString& title, const QString&) {
            saveTitles.push_back(title);
            return NextAnswer(saveAnswers);
        };
        hooks.copyToClipboard = [this](const QString& text) {
            if (clipboardHeld) {
                return false;
            }
            QGuiApplication::clipboard()->setText(text);
            return true;
        };
        previous_ = results::InstallDesktopHooks(std::move(hooks));
    }
    ~FakeDesktop() { results::InstallDesktopHooks(std::move(previous_)); }
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    std::deque<QString> folderAnswers;
    unsigned menuChoice = 0;  // the command a shown menu returns; 0 closes it without a choice
    std::vector<std::filesystem::path> unopenable;  // paths the desktop has no program for
    std::deque<QString> saveAnswers;  // the file names the save dialog gives, then it cancels
    bool clipboardHeld = false;       // another program holds the clipboard: it takes no text

    std::vector<Pick> picks;
    std::vector<Message> messages;
    std::vector<Message> warnings;
    std::vector<std::filesystem::path> opened;
    std::vector<std::vector<MenuItem>> menus;
    std::vector<QString> saveTitles;

  private:
    // A dialog's queued answer, or a cancel once there are none.
    static QString NextAnswer(std::deque<QString>& answers) {
        if (answers.empty()) {
            return {};
        }
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }

    results::DesktopHooks previous_;
};

inline QString FolderText(const std::filesystem::path& folder) {
    return QString::fromStdString(folder.string());
}

// A row for `path` as a search would list it, with made-up size and times in its cells (the times
// are 2008-03-05 09:07:02 and 2009-06-30 17:45:02 in Shanghai, where the tests run); it knows its
// file and folder as they are now, when there are.
inline scan::ResultRow RowFor(const std::filesystem::path& path) {
    return {.path = path,
            .size = 1536,
            .creationTime = 1204679222,
            .lastWriteTime = 1246355102,
            .fingerprint = platform::FingerprintOf(path).value_or(platform::FileFingerprint{}),
            .folderIdentity = platform::IdentityOf(path.parent_path())};
}

// The rows of files written below `temp`, each with its own name as contents.
inline std::vector<scan::ResultRow> WrittenRows(
    const TempDir& temp, std::initializer_list<std::filesystem::path> names) {
    std::vector<scan::ResultRow> rows;
    for (const std::filesystem::path& name : names) {
        rows.push_back(RowFor(temp.WriteText(name, name.string())));
    }
    return rows;
}

inline std::string FileContents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline QStringList ColumnTexts(const results::ResultsModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts << model.CellText(row, column);
    }
    return texts;
}

// The columns a list shows, hidden ones left out.
inline int ShownColumns(const QHeaderView& header) {
    return header.count() - header.hiddenSectionCount();
}

inline void SelectRows(QAbstractItemView& view, const std::vector<int>& rows) {
    for (const int row : rows) {
        view.selectionModel()->select(view.model()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

inline std::vector<int> SelectedRows(const QAbstractItemView& view) {
    std::vector<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The rows `rows` of `list` as the view hands them to its actions: top to bottom, each with the
// file it lists.
inline std::vector<results::SelectedRow> SelectionOf(const results::ResultsModel& list,
                                                     std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    std::vector<results::SelectedRow> selection;
    for (const int row : rows) {
        selection.push_back({row, list.RowAt(row)});
    }
    return selection;
}

inline std::vector<results::SelectedRow> WholeList(const results::ResultsModel& list) {
    std::vector<int> rows(static_cast<std::size_t>(list.rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    return SelectionOf(list, std::move(rows));
}

// The files of the rows that `outcome` leaves selected, found where they stand in `list` once its
// removed rows have left; a row past the list shows as such, so that a case goes on to the next.
inline std::vector<std::filesystem::path> FilesLeftSelected(const results::ResultsModel& list,
                                                            const results::ActionOutcome& outcome) {
    std::vector<std::filesystem::path> left;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (!std::binary_search(outcome.removed.begin(), outcome.removed.end(), row)) {
            left.push_back(list.RowAt(row).path);
        }
    }
    std::vector<std::filesystem::path> selected;
    for (const int row : outcome.selected.value_or(std::vector<int>{})) {
        const auto index = static_cast<std::size_t>(row);
        selected.push_back(
            index < left.size()
                ? left[index]
                : std::filesystem::path("row " + std::to_string(row) + " past the list"));
    }
    return selected;
}

}  // namespace kalvor::testing
