#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "settings/AppSettings.h"
#include "text/StringTable.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"

namespace {

std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// The three-letter codes language modules are named with.
struct SCode {
    const char* module;
    const char* qt;
};
constexpr SCode kModuleCodes[] = {
    {"DEU", "de"}, {"DES", "de"}, {"ENU", "en"},    {"ENG", "en"},    {"FRA", "fr"},    {"ITA", "it"},
    {"ESP", "es"}, {"ESN", "es"}, {"NLD", "nl"},    {"PTG", "pt"},    {"PTB", "pt_BR"}, {"SVE", "sv"},
    {"DAN", "da"}, {"FIN", "fi"}, {"NOR", "nb"},    {"PLK", "pl"},    {"CSY", "cs"},    {"HUN", "hu"},
    {"RUS", "ru"}, {"JPN", "ja"}, {"CHS", "zh_CN"}, {"CHT", "zh_TW"}, {"KOR", "ko"},    {"TRK", "tr"},
    {"SKY", "sk"}, {"SLV", "sl"}, {"HRV", "hr"},    {"UKR", "uk"},    {"BGR", "bg"},    {"ROM", "ro"},
};

}  // namespace

QString CQtTranslations::LanguageOf(const std::filesystem::path& moduleFile) {
    // The module's own word first (not the built-in English one it falls back to).
    if (const auto texts = Text::GetLanguageOverrides()) {
        const auto it = texts->find(Ids::kQtLanguage);
        if (it != texts->end() && !it->second.empty()) return UiText::ToQ(it->second).trimmed();
    }
    const QString stem = QString::fromStdU16String(moduleFile.stem().u16string());
    const qsizetype underscore = stem.lastIndexOf(QLatin1Char('_'));
    if (underscore < 0) return {};
    const QString code = stem.mid(underscore + 1).toUpper();
    for (const SCode& c : kModuleCodes)
        if (code == QLatin1String(c.module)) return QString::fromLatin1(c.qt);
    return {};
}

void CQtTranslations::Remove() {
    if (Installed()) QCoreApplication::removeTranslator(Installed().get());
    Installed().reset();
}

QString CQtTranslations::Apply(const Settings::CAppSettings& settings) {
    Remove();
    if (!settings.IsLanguageModuleLoaded()) return {};
    const std::filesystem::path module(settings.LanguageFile());
    const QString language = LanguageOf(module);
    // English is what Qt says anyway.
    if (language.isEmpty() || language.startsWith(QStringLiteral("en"))) return {};
    const QLocale locale(language);
    const QString besideModule = QString::fromStdU16String(module.parent_path().u16string());
    auto translator = std::make_unique<QTranslator>();
    const bool loaded =
        translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), besideModule) ||
        translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!loaded) return {};
    QCoreApplication::installTranslator(translator.get());
    Installed() = std::move(translator);
    return language;
}
