#include "app/view_choice_settings.h"

#include <QSettings>

namespace kalvor::app {

namespace {

const QString kEvidencePaneKey = QStringLiteral("View/EvidencePane");
const QString kGradeColumnKey = QStringLiteral("View/GradeColumn");

}  // namespace

ViewChoice ReadViewChoice(QSettings& settings) {
    const ViewChoice defaults;
    return {.evidencePane = settings.value(kEvidencePaneKey, defaults.evidencePane).toBool(),
            .gradeColumn = settings.value(kGradeColumnKey, defaults.gradeColumn).toBool()};
}

void WriteViewChoice(QSettings& settings, const ViewChoice& choice) {
    settings.setValue(kEvidencePaneKey, choice.evidencePane);
    settings.setValue(kGradeColumnKey, choice.gradeColumn);
}

}  // namespace kalvor::app
