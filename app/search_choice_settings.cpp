#include "app/search_choice_settings.h"

#include <QSettings>
#include <QStringList>
#include <string>

#include "scan/included_access.h"

namespace kalvor::app {

namespace {

const QString kTypesKey = QStringLiteral("Search/Types");
const QString kMatchKey = QStringLiteral("Search/Match");
const QString kIncludeKey = QStringLiteral("Search/Include");
const QString kWideMatch = QStringLiteral("wide");

scan::DocumentTypes NoTypes() {
    scan::DocumentTypes types;
    for (const std::string_view type : scan::DocumentTypes::Known()) {
        types.Set(type, false);
    }
    return types;
}

}  // namespace

results::SearchChoice ReadSearchChoice(QSettings& settings) {
    results::SearchChoice choice;
    // Read as a list too, since an INI file edited by hand reads "doc, dot" as one.
    const QString stored = settings.value(kTypesKey).toStringList().join(u',');
    scan::DocumentTypes types = NoTypes();
    for (const QString& type : stored.split(u',')) {
        types.Set(type.trimmed().toStdString(), true);
    }
    if (!types.Empty()) {
        choice.types = types;
    }
    if (settings.value(kMatchKey).toString().compare(kWideMatch, Qt::CaseInsensitive) == 0) {
        choice.match = scan::marking::MatchRule::Wide;
    }
    const std::string included =
        settings.value(kIncludeKey).toStringList().join(u',').toStdString();
    choice.include = scan::ParseIncludedAccess(included).value_or(platform::IncludedAccess{});
    return choice;
}

void WriteSearchChoice(QSettings& settings, const results::SearchChoice& choice) {
    QStringList types;
    for (const std::string_view type : choice.types.Names()) {
        types.append(QString::fromLatin1(type));
    }
    settings.setValue(kTypesKey, types.join(u','));
    settings.setValue(kMatchKey, choice.match == scan::marking::MatchRule::Wide
                                     ? kWideMatch
                                     : QStringLiteral("default"));
    settings.setValue(kIncludeKey,
                      QString::fromStdString(scan::IncludedAccessNames(choice.include)));
}

}  // namespace kalvor::app
