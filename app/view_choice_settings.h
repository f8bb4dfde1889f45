#pragma once

class QSettings;

namespace kalvor::app {

// What the View menu shows beside the list, kept in the settings section "View": "EvidencePane",
// the pane of the selected row's evidence (shown unless turned off), and "GradeColumn", the
// grade column (hidden unless turned on).
struct ViewChoice {
    bool evidencePane = true;
    bool gradeColumn = false;
};

ViewChoice ReadViewChoice(QSettings& settings);
void WriteViewChoice(QSettings& settings, const ViewChoice& choice);

}  // namespace kalvor::app
