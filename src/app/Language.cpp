#include "app/Language.h"

#include <QDir>
#include <QLibraryInfo>

namespace quadrel {

namespace {
const QString kFolder = QStringLiteral(":/i18n");
const QString kTraditionalChinese = QStringLiteral("zh_TW");
} // namespace

QString LanguageKey(LanguageChoice choice) {
    switch (choice) {
    case LanguageChoice::English:
        return QStringLiteral("en");
    case LanguageChoice::TraditionalChinese:
        return kTraditionalChinese;
    case LanguageChoice::System:
        break;
    }
    return QStringLiteral("System");
}

std::optional<LanguageChoice> ParseLanguage(const QString& key) {
    for (LanguageChoice choice :
         {LanguageChoice::System, LanguageChoice::English, LanguageChoice::TraditionalChinese}) {
        if (key.trimmed().compare(LanguageKey(choice), Qt::CaseInsensitive) == 0) {
            return choice;
        }
    }
    return std::nullopt;
}

QString LanguageCaption(LanguageChoice choice) {
    switch (choice) {
    case LanguageChoice::English:
        return QStringLiteral("English");
    case LanguageChoice::TraditionalChinese:
        return QStringLiteral("\u4e2d\u6587 (\u53f0\u7063)");
    case LanguageChoice::System:
        break;
    }
    //: The language the desktop is set to.
    return QCoreApplication::translate("Language", "System");
}

QString TranslationFor(LanguageChoice choice, const QLocale& system) {
    switch (choice) {
    case LanguageChoice::English:
        return {};
    case LanguageChoice::TraditionalChinese:
        return kTraditionalChinese;
    case LanguageChoice::System:
        break;
    }
    if (system.language() != QLocale::Chinese) {
        return {};
    }
    const QLocale::Territory territory = system.territory();
    const bool traditional = system.script() == QLocale::TraditionalChineseScript ||
                             territory == QLocale::Taiwan || territory == QLocale::HongKong ||
                             territory == QLocale::Macao;
    return traditional ? kTraditionalChinese : QString();
}

QStringList CarriedTranslations() {
    QStringList languages;
    const QStringList files =
        QDir(kFolder).entryList({QStringLiteral("quadrel_*.qm")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        languages << file.mid(8, file.size() - 8 - 3);
    }
    return languages;
}

Translations::~Translations() {
    Remove();
}

void Translations::Remove() {
    if (programIn_) {
        QCoreApplication::removeTranslator(&program_);
        programIn_ = false;
    }
    if (qtIn_) {
        QCoreApplication::removeTranslator(&qt_);
        qtIn_ = false;
    }
    language_.clear();
}

bool Translations::Install(const QString& language) {
    Remove();
    if (language.isEmpty()) {
        return true;
    }
    if (!program_.load(QStringLiteral("quadrel_") + language, kFolder)) {
        return false;
    }
    programIn_ = QCoreApplication::installTranslator(&program_);
    // Qt's own texts (the buttons of message boxes, the file dialog) come
    // with the system's Qt; without them those stay English.
    if (qt_.load(QStringLiteral("qtbase_") + language,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qtIn_ = QCoreApplication::installTranslator(&qt_);
    }
    language_ = language;
    return programIn_;
}

} // namespace quadrel
