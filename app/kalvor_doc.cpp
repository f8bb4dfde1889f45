#include "app/kalvor_doc.h"

#include <QFile>
#include <QFileInfo>
#include <array>

#include "app/document_file.h"
#include "app/recent_file_list.h"
#include "app/shell_dialogs.h"
#include "commands/command_map.h"
#include "res/resource.h"

namespace kalvor::app {

namespace {

constexpr std::array kCommandEntries{
    commands::OnCommandEntry<CkalvorDoc>(ID_FILE_SAVE, &CkalvorDoc::OnFileSave),
};
constexpr commands::CommandMap<CkalvorDoc> kCommandMap(kCommandEntries);

}  // namespace

CkalvorDoc::CkalvorDoc(RecentFileList& recentFiles) : recentFiles_(recentFiles) {}

void CkalvorDoc::SetPathName(const QString& path) {
    pathName_ = FullPathName(path);
    title_ = QFileInfo(pathName_).fileName();
    recentFiles_.Add(pathName_);
}

bool CkalvorDoc::OnNewDocument() {
    pathName_.clear();
    return true;
}

bool CkalvorDoc::OnOpenDocument(const QString& path) {
    if (!Succeeded(OpenDocumentFileForReading(path), path, false)) {
        return false;
    }
    writtenHere_ = false;
    return true;
}

bool CkalvorDoc::OnSaveDocument(const QString& path) {
    return Succeeded(WriteEmptyDocumentFile(path), path, true);
}

bool CkalvorDoc::Succeeded(FileError error, const QString& path, bool saving) const {
    if (error == FileError::None) {
        return true;
    }
    ShowError(owner_, FileErrorMessage(error, path, saving));
    return false;
}

bool CkalvorDoc::HasCommand(unsigned id) const {
    return kCommandMap.Has(id);
}

bool CkalvorDoc::OnCommand(unsigned id) {
    return kCommandMap.Dispatch(*this, id);
}

void CkalvorDoc::OnFileSave() {
    const QFileInfo file(pathName_);
    const bool mustAsk = pathName_.isEmpty() || !file.exists() || IsReadOnly(file);
    if (!mustAsk && !writtenHere_ && !MayEmpty(file)) {
        return;
    }
    DoSave(mustAsk ? QString() : pathName_);
}

bool CkalvorDoc::MayEmpty(const QFileInfo& file) const {
    return file.size() == 0 ||
           AskYesNo(owner_, QStringLiteral("“%1”不是空文件。保存会清空它的全部内容，是否继续？")
                                .arg(file.fileName()));
}

bool CkalvorDoc::DoSave(const QString& path) {
    QString name = path;
    if (name.isEmpty()) {
        name = PromptSaveFileName(owner_, pathName_.isEmpty() ? title_ : pathName_);
        if (name.isEmpty()) {
            return false;
        }
    }
    // Only a file this save created is removed again; one the user chose to replace stays.
    const bool created = !QFileInfo(name).exists() && !QFileInfo(name).isSymLink();
    if (!OnSaveDocument(name)) {
        if (path.isEmpty() && created) {
            QFile::remove(name);
        }
        return false;
    }
    SetPathName(name);
    writtenHere_ = true;
    return true;
}

}  // namespace kalvor::app
