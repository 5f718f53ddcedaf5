#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>

#include <optional>

namespace quadrel {

// The operator's choice of language for the window, as Options keeps it.
enum class LanguageChoice { System, English, TraditionalChinese };

// The value kept in the settings file: "System", "en", "zh_TW".
QString LanguageKey(LanguageChoice choice);
// The choice a kept value names; nothing for any other text.
std::optional<LanguageChoice> ParseLanguage(const QString& key);
// How Options lists a choice: "System" in the window's language, each
// language in its own, so that a reader finds theirs whatever is shown.
QString LanguageCaption(LanguageChoice choice);

// The translation a choice comes to on a desktop whose locale is `system`:
// "zh_TW", or empty for the program's own English. The system's choice takes
// Traditional Chinese for Taiwan, Hong Kong, Macao and any locale written in
// the traditional script; every other language reads English.
QString TranslationFor(LanguageChoice choice, const QLocale& system);

// The translations the program carries ("zh_TW"), found in its resources.
QStringList CarriedTranslations();

// The installed translations of the window: the program's own, and Qt's for
// its standard dialogs and buttons when the system has them. Lives as long
// as the application object.
class Translations {
public:
    Translations() = default;
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // Installs `language` ("zh_TW"), or removes any for English (empty).
    // False when the program carries no such translation: English then.
    bool Install(const QString& language);
    const QString& language() const { return language_; }

private:
    void Remove();

    QTranslator program_;
    QTranslator qt_;
    bool programIn_ = false;
    bool qtIn_ = false;
    QString language_;
};

} // namespace quadrel
