#include "app/kalvor_app.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QSettings>
#include <array>

#include "app/about_dlg.h"
#include "app/frame_status_bar.h"
#include "app/kalvor_doc.h"
#include "app/main_frame.h"
#include "app/search_choice_settings.h"
#include "app/search_types_dlg.h"
#include "app/shell_dialogs.h"
#include "commands/command_map.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "results/evidence_pane.h"
#include "results/kalvor_view.h"
#include "results/not_examined_indicator.h"

namespace kalvor::app {

namespace {

constexpr std::array kCommandEntries{
    commands::OnCommandEntry<CkalvorApp>(ID_APP_ABOUT, &CkalvorApp::OnAbout),
    commands::OnCommandEntry<CkalvorApp>(ID_FILE_NEW, &CkalvorApp::OnFileNew),
    commands::OnCommandEntry<CkalvorApp>(ID_APP_EXIT, &CkalvorApp::OnAppExit),
    commands::OnCommandEntry<CkalvorApp>(ID_FILE_SEARCH_TYPES, &CkalvorApp::OnChooseSearchTypes),
    commands::OnCommandRangeEntry<CkalvorApp>(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16,
                                              &CkalvorApp::OnOpenRecentFile),
    commands::OnCommandRangeEntry<CkalvorApp>(ID_VIEW_EVIDENCE_PANE, ID_VIEW_GRADE_COLUMN,
                                              &CkalvorApp::OnToggleViewChoice),
};

constexpr commands::CommandMap<CkalvorApp> kCommandMap(kCommandEntries);

// The field of `choice` that View item `id` shows.
template <typename Choice>
auto& ChoiceOf(Choice& choice, unsigned id) {
    return id == ID_VIEW_EVIDENCE_PANE ? choice.evidencePane : choice.gradeColumn;
}

// A new document's title: the template's document name, or the framework's untitled name.
QString DefaultTitle() {
    const QString name = res::DocTemplateField(1);
    return name.isEmpty() ? res::LoadString(AFX_IDS_UNTITLED) : name;
}

// The file the command line names: its first argument that is not a switch.
QString FileNameArgument(const QStringList& arguments) {
    for (qsizetype index = 1; index < arguments.size(); ++index) {
        if (!arguments[index].startsWith(u'-')) {
            return arguments[index];
        }
    }
    return {};
}

}  // namespace

std::unique_ptr<QSettings> OpenProfile() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QCoreApplication::organizationName(),
                                       QCoreApplication::applicationName());
}

CkalvorApp::CkalvorApp() {
    QCoreApplication::setApplicationName(res::LoadString(AFX_IDS_APP_TITLE));
}

CkalvorApp::~CkalvorApp() {
    DestroyDocumentAndFrame();
}

bool CkalvorApp::InitInstance(const QStringList& arguments) {
    QCoreApplication::setOrganizationName(QStringLiteral("应用程序向导生成的本地应用程序"));
    LoadStdProfileSettings();
    if (!ProcessShellCommand(arguments)) {
        return false;
    }
    frame_->show();
    return true;
}

int CkalvorApp::ExitInstance() {
    DestroyDocumentAndFrame();
    recentFiles_.WriteList(*OpenProfile());
    return 0;
}

void CkalvorApp::LoadStdProfileSettings() {
    const auto profile = OpenProfile();
    recentFiles_.ReadList(*profile);
    searchChoice_ = ReadSearchChoice(*profile);
    viewChoice_ = ReadViewChoice(*profile);
    previewPages_ = profile->value(QStringLiteral("Settings/PreviewPages"), 0).toInt();
}

bool CkalvorApp::ProcessShellCommand(const QStringList& arguments) {
    const QString fileName = FileNameArgument(arguments);
    if (fileName.isEmpty()) {
        OnFileNew();
    } else {
        OpenDocumentFile(fileName);
    }
    return frame_ != nullptr;
}

bool CkalvorApp::HasCommand(unsigned id) const {
    return kCommandMap.Has(id);
}

bool CkalvorApp::IsCommandChecked(unsigned id) const {
    return (id == ID_VIEW_EVIDENCE_PANE || id == ID_VIEW_GRADE_COLUMN) && ChoiceOf(viewChoice_, id);
}

bool CkalvorApp::OnCommand(unsigned id) {
    return kCommandMap.Dispatch(*this, id);
}

void CkalvorApp::OnAbout() {
    CAboutDlg about(frame_.get());
    RunModal(about);
}

void CkalvorApp::OnFileNew() {
    if (!document_) {
        CreateDocumentAndFrame();
    }
    document_->SetTitle(DefaultTitle());
    document_->OnNewDocument();
    InitialUpdateFrame();
}

void CkalvorApp::OnAppExit() {
    if (frame_) {
        frame_->close();
    }
}

void CkalvorApp::OnOpenRecentFile(unsigned id) {
    const qsizetype index = id - ID_FILE_MRU_FILE1;
    if (index >= recentFiles_.Entries().size()) {
        return;
    }
    if (!OpenDocumentFile(recentFiles_.Entries().at(index))) {
        recentFiles_.Remove(static_cast<int>(index));
    }
}

void CkalvorApp::OnChooseSearchTypes() {
    CSearchTypesDlg dialog(searchChoice_, frame_.get());
    if (RunModal(dialog) != QDialog::Accepted) {
        return;
    }
    searchChoice_ = dialog.Choice();
    // Kept at once rather than at exit: a choice is made seldom, and losing it to a crash or a
    // logoff would send the next audit silently back to .doc alone.
    WriteSearchChoice(*OpenProfile(), searchChoice_);
    if (view_ != nullptr) {
        view_->SetSearchChoice(searchChoice_);
    }
}

void CkalvorApp::OnToggleViewChoice(unsigned id) {
    bool& shown = ChoiceOf(viewChoice_, id);
    shown = !shown;
    // Kept at once, as the search choice is.
    WriteViewChoice(*OpenProfile(), viewChoice_);
    ApplyViewChoice();
}

void CkalvorApp::ApplyViewChoice() {
    if (frame_ == nullptr) {
        return;
    }
    frame_->BelowView()->setVisible(viewChoice_.evidencePane);
    view_->ShowGradeColumn(viewChoice_.gradeColumn);
}

bool CkalvorApp::OpenDocumentFile(const QString& path) {
    const QString fullPath = FullPathName(path);
    if (document_ && SamePath(document_->GetPathName(), fullPath)) {
        frame_->activateWindow();
        return true;
    }
    const bool created = !document_;
    if (created) {
        CreateDocumentAndFrame();
    }
    if (!document_->OnOpenDocument(fullPath)) {
        if (created) {
            DestroyDocumentAndFrame();
        }
        return false;
    }
    document_->SetPathName(fullPath);
    InitialUpdateFrame();
    return true;
}

void CkalvorApp::CreateDocumentAndFrame() {
    document_ = std::make_unique<CkalvorDoc>(recentFiles_);
    view_ = new results::CkalvorView;
    view_->SetSearchChoice(searchChoice_);
    auto* evidence = new results::EvidencePane;
    evidence->Follow(*view_, view_->Results());
    frame_ = std::make_unique<CMainFrame>(FrameContext{.view = view_,
                                                       .belowView = evidence,
                                                       .viewCommands = view_,
                                                       .document = document_.get(),
                                                       .application = this,
                                                       .recentFiles = &recentFiles_});
    ApplyViewChoice();
    auto* notExamined = new results::NotExaminedIndicator(frame_.get());
    frame_->StatusBar()->AddPane(notExamined);
    QObject::connect(view_, &results::CkalvorView::SearchStarted, notExamined,
                     &results::NotExaminedIndicator::Clear);
    QObject::connect(view_, &results::CkalvorView::SearchFinished, notExamined,
                     &results::NotExaminedIndicator::ShowReport);
    document_->SetOwnerWindow(frame_.get());
}

void CkalvorApp::DestroyDocumentAndFrame() {
    frame_.reset();
    view_ = nullptr;
    document_.reset();
}

void CkalvorApp::InitialUpdateFrame() {
    view_->OnInitialUpdate();
}

}  // namespace kalvor::app
