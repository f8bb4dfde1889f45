#pragma once

#include <QString>
#include <system_error>

namespace kalvor::results {

// Why an action left a file or folder alone, beyond what the system itself reports.
enum class ActionError {
    FileChanged = 1,         // the file the search listed was written since
    FileGone,                // nothing the action may touch is at the path any more
    ReplacesListedDocument,  // the copy would replace a document the list holds
    NoApplication,           // the desktop found nothing to open it with
    FolderGone,              // the folder is gone or cannot be reached
    FileReplaced,            // the path leads to another file than the search listed
    FolderReplaced,          // the path leads to another folder than the search found it in
    ClipboardUnavailable,    // the clipboard did not take the text
};

std::error_code make_error_code(ActionError error);

// A row whose action failed, and why.
struct RowFailure {
    int row = 0;
    std::error_code error;
};

// Why an action failed, in words for the user; never the system's own text, which is English on
// most systems.
QString ReasonText(const std::error_code& error);

}  // namespace kalvor::results

template <>
struct std::is_error_code_enum<kalvor::results::ActionError> : std::true_type {};
