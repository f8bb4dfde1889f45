#pragma once

#include <QString>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/file_identity.h"
#include "results/selected_row.h"

class QWidget;

namespace kalvor::results {

// What the list does once an action has run on its selection.
struct ActionOutcome {
    // The rows whose files left, rising: they leave the list, which is then renumbered.
    std::vector<int> removed{};
    // The rows to leave selected, where they stand once `removed` left; nothing keeps the
    // selection as it is.
    std::optional<std::vector<int>> selected{};
    // When not empty, a warning under `caption` that names each file the action left alone, and
    // why.
    QString warning{};
    QString caption{};
};

// The actions on the selected rows of the results list. Each takes the selection top to bottom,
// finds every file through its row alone and leaves the list to the caller: what the list must do
// afterwards is what the action returns. With nothing selected, an action does nothing.
class ResultActions {
  public:
    // A long copy shows its progress over `owner`.
    explicit ResultActions(QWidget* owner) : owner_(owner) {}

    // Opens each file with the desktop's program for it.
    ActionOutcome OpenFiles(const std::vector<SelectedRow>& selection) const;
    // Opens each file's folder in the file manager, once per row.
    ActionOutcome OpenFolders(const std::vector<SelectedRow>& selection) const;

    // The folder a copy goes into, asked for before anything else; nothing when the user cancelled
    // or gave no folder.
    std::optional<std::filesystem::path> AskCopyFolder() const;
    // Copies each file into `folder` under its own name. `listed` holds the files of every row of
    // the list, none of which a copy replaces.
    ActionOutcome CopyFiles(const std::vector<SelectedRow>& selection,
                            const std::filesystem::path& folder,
                            const std::vector<platform::FileIdentity>& listed) const;

    // Deletes each file for good; the rows whose files stay remain selected.
    ActionOutcome DeleteFiles(const std::vector<SelectedRow>& selection) const;
    // Takes the rows out of the list and leaves their files alone.
    ActionOutcome RemoveRows(const std::vector<SelectedRow>& selection) const;

  private:
    QWidget* owner_;
};

}  // namespace kalvor::results
