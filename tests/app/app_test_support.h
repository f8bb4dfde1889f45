#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QString>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/shell_dialogs.h"
#include "commands/command_target.h"
#include "results/desktop_seams.h"
#include "tests/support/temp_dir.h"

namespace kalvor::testing {

// A command target whose map holds a fixed set of identifiers; it logs "name:id" for each
// command it handles.
class RecordingTarget final : public commands::CommandTarget {
  public:
    RecordingTarget(std::string name, std::vector<unsigned> ids, std::vector<std::string>& log)
        : name_(std::move(name)), ids_(std::move(ids)), log_(log) {}

    bool HasCommand(unsigned id) const override {
        return std::ranges::find(ids_, id) != ids_.end();
    }
    bool OnCommand(unsigned id) override {
        if (!HasCommand(id)) {
            return false;
        }
        log_.push_back(name_ + ":" + std::to_string(id));
        return true;
    }

  private:
    std::string name_;
    std::vector<unsigned> ids_;
    std::vector<std::string>& log_;
};

// Stands in for the shell's dialogs while it lives: the save dialog gives the queued answers
// (then cancels), error boxes are recorded, and a modal dialog is recorded with what it shows
// and then answered by `answerModal`, or accepted at once.
class FakeShell {
  public:
    struct SavePrompt {
        QWidget* owner;
        QString title;
        QString proposedName;
        QString filter;
    };
    struct Error {
        QWidget* owner;
        QString text;
        QString caption;
    };
    struct ModalDialog {
        QWidget* owner;
        QString caption;
        QStringList labels;  // the texts of its labels, in creation order
        QStringList buttons;
        bool modal;
    };

    FakeShell() {
        results::DesktopHooks hooks = results::InstalledDesktopHooks();
        hooks.promptSaveFileName = [this](QWidget* owner, const QString& title,
                                          const QString& proposed, const QString& filter) {
            savePrompts.push_back({owner, title, proposed, filter});
            if (saveAnswers.empty()) {
                return QString();
            }
            QString answer = saveAnswers.front();
            saveAnswers.pop_front();
            return answer;
        };
        hooks.showError = [this](QWidget* owner, const QString& text, const QString& caption) {
            errors.push_back({owner, text, caption});
        };
        hooks.runModal = [this](QDialog& dialog) {
            ModalDialog shown{dialog.parentWidget(), dialog.windowTitle(), {}, {}, true};
            for (const QLabel* label : dialog.findChildren<QLabel*>()) {
                shown.labels.push_back(label->text());
            }
            for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
                shown.buttons.push_back(button->text());
            }
            dialogs.push_back(shown);
            return answerModal ? answerModal(dialog) : static_cast<int>(QDialog::Accepted);
        };
        hooks.askYesNo = [this](QWidget* owner, const QString& text, const QString& caption) {
            questions.push_back({owner, text, caption});
            if (yesAnswers == 0) {
                return false;
            }
            --yesAnswers;
            return true;
        };
        previous_ = results::InstallDesktopHooks(std::move(hooks));
    }
    ~FakeShell() { results::InstallDesktopHooks(std::move(previous_)); }
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    std::deque<QString> saveAnswers;
    int yesAnswers = 0;  // how many questions to answer "是"; the rest get "否"
    std::function<int(QDialog&)> answerModal;  // plays the user in a modal dialog

    std::vector<SavePrompt> savePrompts;
    std::vector<Error> errors;
    std::vector<Error> questions;
    std::vector<ModalDialog> dialogs;

  private:
    results::DesktopHooks previous_;
};

// Points the user's settings at a fresh temporary folder, so that no test reads or writes the
// real ones; the next TempSettings takes over.
class TempSettings {
  public:
    TempSettings() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Root()); }

    QString Root() const { return QString::fromStdString(dir_.Path().string()); }

    // The settings file the application writes, read directly.
    QSettings File() const {
        return QSettings(Root() + QStringLiteral("/应用程序向导生成的本地应用程序/kalvor.conf"),
                         QSettings::IniFormat);
    }

  private:
    TempDir dir_;
};

inline QString PathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace kalvor::testing
