// The window in each of its languages: every caption an operator reads on
// the main window, the options dialog and the log window is in the language
// chosen, and the choice follows Options or the desktop.
#include "app/Language.h"
#include "AppRig.h"
#include "app/SceneCaptureDialog.h"
#include "app/SceneDialog.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "log/frmLog.h"
#include "sim/SimSerialPort.h"

#include <QAction>
#include <QComboBox>
#include <QRegularExpression>
#include <QTabBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono_literals;
using namespace quadrel;
using namespace quadrel::test;

namespace {

struct Caption {
    QString where;
    QString text;
};

// Every text of `root` and its children that the operator reads: titles,
// labels, buttons, menus, tabs, headers, list cells, tool tips and
// placeholders. The trace's own lines are a record, not captions.
std::vector<Caption> CaptionsOf(QWidget* root) {
    std::vector<Caption> found;
    const auto add = [&](const QObject* where, const QString& kind, const QString& text) {
        if (!text.trimmed().isEmpty()) {
            found.push_back({where->objectName() + QLatin1Char('.') + kind, text});
        }
    };
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (w->isWindow()) {
            add(w, QStringLiteral("title"), w->windowTitle());
        }
        // Labels' and buttons' texts (and what is typed), group boxes' and menus' titles.
        for (const char* name : {"toolTip", "accessibleName", "text", "title", "placeholderText"}) {
            add(w, QString::fromLatin1(name), w->property(name).toString());
        }
        if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                add(w, QStringLiteral("tab"), tabs->tabText(i));
            }
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) {
                add(w, QStringLiteral("item"), combo->itemText(i));
            }
        } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
            for (int c = 0; c < tree->columnCount(); ++c) {
                add(w, QStringLiteral("header"), tree->headerItem()->text(c));
                add(w, QStringLiteral("header tip"), tree->headerItem()->toolTip(c));
                for (int r = 0; r < tree->topLevelItemCount(); ++r) {
                    add(w, QStringLiteral("tip"), tree->topLevelItem(r)->toolTip(c));
                }
            }
        } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
            for (int c = 0; c < table->columnCount(); ++c) {
                if (table->horizontalHeaderItem(c) != nullptr) {
                    add(w, QStringLiteral("header"), table->horizontalHeaderItem(c)->text());
                }
            }
        }
        for (QAction* action : w->actions()) {
            if (!action->isSeparator()) {
                add(action, QStringLiteral("action"), action->text());
                if (action->toolTip() != action->text().remove(QLatin1Char('&'))) {
                    add(action, QStringLiteral("action tip"), action->toolTip());
                }
            }
        }
    }
    return found;
}

// What is left of a caption once the words that every language writes so
// are taken out: names of standards and keys, units, numbers, the
// program's name, and the names of languages in their own script.
QString WordsLeft(QString text) {
    static const QRegularExpression same(QStringLiteral(
        "\\b(?:COM\\d*|ID|EDID|A/V|I/O|AV|CSV|json|csv|ms|dB|KiB|MiB|Quadrel|Ctrl|Shift|Alt|"
        "Enter|Esc|English|TLY|[AV]|[AV]\\d+|QRD\\d*)\\b|&"));
    static const QRegularExpression path(QStringLiteral("(?:^|\\s)/\\S+"));
    text.remove(same);
    text.remove(path);
    return text;
}

bool HasChinese(const QString& text) {
    static const QRegularExpression han(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(han);
}

// The window with a unit read, the options dialog and the log window, each
// built in the language installed now.
class Windows {
public:
    Windows() {
        sim::SimSerialPort& sim = rig_.UseSimPort();
        sim.engine().addUnit(SimUnit(1, 8, 8));
        basMain& program = rig_.program();
        EXPECT_TRUE(program.Main());
        QuadrelCore& core = program.core();
        EXPECT_TRUE(rig_.time.advanceUntil(
            [&] {
                return core.model.FindUnit(1) != nullptr && !core.model.blLoadingStatus &&
                       !core.model.blLoadingMemory;
            },
            60s));
        rig_.time.advance(10ms);
        QApplication::processEvents();
        program.mainWindow()->ShowLogWindow();
        options_ = std::make_unique<frmOptions>(program.line(), [] {});
        // The scene dialogs, over a unit whose reported name is a model number.
        SceneUnit unit{1, QStringLiteral("QRD1"), 2, 2, 1, {}};
        unit.values.outputs[1] = {1, 2, 1, 50, 50, 50, 50, 100};
        unit.values.edid[1] = 1;
        scene_ = std::make_unique<SceneDialog>(Scene{QStringLiteral("A"), {}, {unit}}, true,
                                               SceneDialog::Context{});
        UnitIdentity identity;
        identity.id = 1;
        identity.name = QStringLiteral("QRD1");
        identity.inputs = identity.outputs = 2;
        identity.video = true;
        capture_ = std::make_unique<SceneCaptureDialog>(
            std::vector<SceneCaptureDialog::Unit>{{identity, {}}}, QStringLiteral("A"));
    }

    std::vector<Caption> Captions() {
        std::vector<Caption> all = CaptionsOf(rig_.program().mainWindow());
        for (QWidget* w :
             {static_cast<QWidget*>(options_.get()),
              static_cast<QWidget*>(rig_.program().mainWindow()->logWindow()),
              static_cast<QWidget*>(scene_.get()), static_cast<QWidget*>(capture_.get())}) {
            const std::vector<Caption> more = CaptionsOf(w);
            all.insert(all.end(), more.begin(), more.end());
        }
        return all;
    }

private:
    AppRig rig_;
    std::unique_ptr<frmOptions> options_;
    std::unique_ptr<SceneDialog> scene_;
    std::unique_ptr<SceneCaptureDialog> capture_;
};

} // namespace

TEST(Language, ChoiceAndDesktopPickTheTranslation) {
    const std::pair<const char*, const char*> desktops[] = {
        {"zh_TW", "zh_TW"}, {"zh_HK", "zh_TW"}, {"zh_Hant_MO", "zh_TW"}, {"zh_Hant", "zh_TW"},
        {"C", ""},          {"en_US", ""},      {"de_DE", ""},           {"zh_CN", ""}};
    for (const auto& [desktop, translation] : desktops) {
        EXPECT_EQ(TranslationFor(LanguageChoice::System, QLocale(QString::fromLatin1(desktop))),
                  translation)
            << desktop;
    }
    // The operator's choice wins over the desktop's.
    EXPECT_EQ(TranslationFor(LanguageChoice::English, QLocale(QStringLiteral("zh_TW"))), "");
    EXPECT_EQ(TranslationFor(LanguageChoice::TraditionalChinese, QLocale::c()), "zh_TW");
    for (LanguageChoice choice :
         {LanguageChoice::System, LanguageChoice::English, LanguageChoice::TraditionalChinese}) {
        EXPECT_EQ(ParseLanguage(LanguageKey(choice)), choice);
    }
    EXPECT_EQ(ParseLanguage(QStringLiteral("klingon")), std::nullopt);
    Translations translations;
    EXPECT_FALSE(translations.Install(QStringLiteral("xx")));
    EXPECT_EQ(QCoreApplication::translate("quadrel::frmMain", "E&xit"), "E&xit");
}

// Each language's captions hold no word of the other (Options lists each
// language in its own script).
TEST(Language, EachLanguageLeavesNoCaptionInTheOther) {
    static const QRegularExpression english(QStringLiteral("[A-Za-z]{2,}"));
    for (const char* language : {"zh_TW", "en_US"}) {
        SCOPED_TRACE(language);
        const bool chinese = QLatin1String(language) == QLatin1String("zh_TW");
        Translations translations;
        ASSERT_TRUE(translations.Install(
            TranslationFor(LanguageChoice::System, QLocale(QString::fromLatin1(language)))));
        Windows windows;
        const std::vector<Caption> captions = windows.Captions();
        EXPECT_GT(captions.size(), 200u);
        int inChinese = 0;
        for (const Caption& c : captions) {
            inChinese += HasChinese(c.text) ? 1 : 0;
            EXPECT_FALSE(chinese ? WordsLeft(c.text).contains(english)
                                 : HasChinese(c.text) && c.where != "cboLanguage.item")
                << c.where.toStdString() << ": " << c.text.toStdString();
        }
        EXPECT_EQ(inChinese > 150, chinese);
    }
}
