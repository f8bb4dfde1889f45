#pragma once

#include <QStringList>
#include <memory>

#include "app/recent_file_list.h"
#include "app/view_choice_settings.h"
#include "commands/command_target.h"
#include "results/search_choice.h"

class QSettings;

namespace kalvor::results {
class CkalvorView;
}

namespace kalvor::app {

class CkalvorDoc;
class CMainFrame;

// The application: start-up, the settings, the recent-file list, what the searches look for, and
// the commands the framework's application object answers (About, new, open a recent file, exit),
// with the choice of document types and what the View menu shows beside the list.
class CkalvorApp final : public commands::CommandTarget {
  public:
    static constexpr int kRecentFileCount = 4;

    CkalvorApp();
    ~CkalvorApp() override;
    CkalvorApp(const CkalvorApp&) = delete;
    CkalvorApp& operator=(const CkalvorApp&) = delete;

    // Start-up: names the settings, loads the recent-file list and the search choice, then
    // carries out the command line (`arguments` as QCoreApplication gives them): an empty
    // document, or the file named there. False, after the framework's message, when that file
    // cannot be opened; then no window is left.
    bool InitInstance(const QStringList& arguments);
    // Writes the recent-file list back to the settings; returns the exit status.
    int ExitInstance();

    bool HasCommand(unsigned id) const override;
    bool IsCommandChecked(unsigned id) const override;
    bool OnCommand(unsigned id) override;

    void OnAbout();
    void OnFileNew();
    void OnAppExit();
    void OnOpenRecentFile(unsigned id);
    // Asks which documents the searches look for; a choice made is kept in the settings at once.
    void OnChooseSearchTypes();
    // Shows or hides the evidence pane or the grade column; kept in the settings at once.
    void OnToggleViewChoice(unsigned id);

    // Opens `path` as the document; the same file as the current document only brings the
    // window to the front. False when it could not be opened (the user has been told).
    bool OpenDocumentFile(const QString& path);

    CMainFrame* GetMainWnd() const { return frame_.get(); }
    CkalvorDoc* GetDocument() const { return document_.get(); }
    results::CkalvorView* GetView() const { return view_; }
    const RecentFileList& RecentFiles() const { return recentFiles_; }
    int PreviewPages() const { return previewPages_; }

  private:
    void LoadStdProfileSettings();
    bool ProcessShellCommand(const QStringList& arguments);
    void CreateDocumentAndFrame();
    void DestroyDocumentAndFrame();
    void InitialUpdateFrame();
    void ApplyViewChoice();

    RecentFileList recentFiles_{kRecentFileCount};
    results::SearchChoice searchChoice_;
    ViewChoice viewChoice_;
    int previewPages_ = 0;
    std::unique_ptr<CkalvorDoc> document_;
    std::unique_ptr<CMainFrame> frame_;
    results::CkalvorView* view_ = nullptr;
};

// The settings store of the application: the registry key (Windows) or file (elsewhere) of
// the organisation and application names that start-up sets.
std::unique_ptr<QSettings> OpenProfile();

}  // namespace kalvor::app
