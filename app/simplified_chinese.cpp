#include "app/simplified_chinese.h"

#include <QFontInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <optional>

namespace kalvor::app {

namespace {

QLocale SimplifiedChinese() {
    return {QLocale::Chinese, QLocale::China};
}

// Fontconfig, which Qt asks for every font and for whatever a font lacks, takes the language it
// chooses fonts for from the environment (FC_LANG before the locale) when it first matches a
// font, and keeps it for the life of the process. So FC_LANG is zh-cn while the application starts
// and its font is first matched, and as it was afterwards: programs the window starts get the
// environment the user gave it.
class FontLanguageWhileStarting {
  public:
    FontLanguageWhileStarting()
        : earlier_(qEnvironmentVariableIsSet(kVariable) ? std::optional(qgetenv(kVariable))
                                                        : std::nullopt) {
        qputenv(kVariable, "zh-cn");
    }
    ~FontLanguageWhileStarting() {
        if (earlier_.has_value()) {
            qputenv(kVariable, *earlier_);
        } else {
            qunsetenv(kVariable);
        }
    }
    FontLanguageWhileStarting(const FontLanguageWhileStarting&) = delete;
    FontLanguageWhileStarting& operator=(const FontLanguageWhileStarting&) = delete;

  private:
    static constexpr const char* kVariable = "FC_LANG";
    std::optional<QByteArray> earlier_;
};

void InstallQtTranslations(QApplication& application) {
    auto* translator = new QTranslator(&application);
    if (translator->load(SimplifiedChinese(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
}

}  // namespace

std::unique_ptr<QApplication> StartInSimplifiedChinese(
    const std::function<std::unique_ptr<QApplication>()>& start) {
    std::unique_ptr<QApplication> application;
    {
        const FontLanguageWhileStarting fontLanguage;
        application = start();
        // Matching the application's font is what makes fontconfig read its language.
        (void)QFontInfo(QApplication::font()).family();
    }
    InstallQtTranslations(*application);
    QLocale::setDefault(SimplifiedChinese());
    return application;
}

}  // namespace kalvor::app
