#pragma once

#include <QString>

#include "app/document_file.h"
#include "commands/command_target.h"

class QFileInfo;
class QWidget;

namespace kalvor::app {

class RecentFileList;

// The one document behind the frame and the view. It holds no data: the results live only in
// the list. It answers the document commands: save writes an empty file, opening reads nothing,
// and it is never modified, so closing never asks to save.
class CkalvorDoc final : public commands::CommandTarget {
  public:
    explicit CkalvorDoc(RecentFileList& recentFiles);

    // Where the document's dialogs and messages appear: the main frame.
    void SetOwnerWindow(QWidget* owner) { owner_ = owner; }

    const QString& GetTitle() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }
    const QString& GetPathName() const { return pathName_; }

    // The full path becomes the path name, its file name the title, and it goes to the top of
    // the recent-file list.
    void SetPathName(const QString& path);

    bool OnNewDocument();
    // Opens the file for reading and closes it again; reports a failure.
    bool OnOpenDocument(const QString& path);
    // Writes `path` as an empty file; reports a failure.
    bool OnSaveDocument(const QString& path);

    bool HasCommand(unsigned id) const override;
    bool OnCommand(unsigned id) override;

    void OnFileSave();

  private:
    // True without error; otherwise shows the framework's message for it.
    bool Succeeded(FileError error, const QString& path, bool saving) const;
    // Saves under `path`, or under a name asked for when `path` is empty.
    bool DoSave(const QString& path);

    // Whether saving over `file`, which this program did not write, may empty it: asks when the
    // file holds anything.
    bool MayEmpty(const QFileInfo& file) const;

    RecentFileList& recentFiles_;
    QWidget* owner_ = nullptr;
    // The file at the path name is one this program wrote, so emptying it again loses nothing.
    bool writtenHere_ = false;
    QString title_;
    QString pathName_;
};

}  // namespace kalvor::app
