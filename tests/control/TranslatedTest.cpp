#include "app/PagesRig.h"
#include "model/ActivityStatus.h"
#include "model/NamesCsv.h"
#include "model/UnitNames.h"

#include <QTranslator>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

// Puts every text it is asked for in brackets, so a test tells what went
// through the translation functions from what did not.
class MarkingTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int) const override {
        return QLatin1Char('[') + QString::fromUtf8(source) + QLatin1Char(']');
    }
};

// Installed before the pages are built: their captions are set then.
struct Translated : ::testing::Test {
    MarkingTranslator marking;
    const bool installed = QCoreApplication::installTranslator(&marking);
    PagesRig h;
    ~Translated() override { QCoreApplication::removeTranslator(&marking); }
};

} // namespace

// Translated down to what the language test's caption scan passes over (units,
// descriptions); names that tests, stored files and the picture sets go by are not.
TEST_F(Translated, CaptionsAreTranslatedAndKeysAreNot) {
    h.Show(1, 4, 8);
    AudioOutputPanel* panel = h.audio.picAudioOutput(0);
    EXPECT_TRUE(panel->row(AudioOutputPanel::Delay).number->text().startsWith('['));
    EXPECT_EQ(panel->objectName(), "picAudioOutput_0");
    EXPECT_EQ(panel->row(AudioOutputPanel::Volumn).caption->objectName(), "lblVolumnCaption_0");
    EXPECT_EQ(panel->imgMute()->key(), "Unmute");
    EXPECT_EQ(panel->imgMute()->accessibleDescription(), "[Unmute]");
    EXPECT_TRUE(NotCurrentText(1).startsWith("[Not current: unit 01"))
        << NotCurrentText(1).toStdString();

    // The names file is the same in every language.
    EXPECT_EQ(PortWords({NameKind::Input, 2}), "Input 2");
    EXPECT_EQ(PortCaption({NameKind::Input, 2}), "[Input 2]");
    const QString csv = QString::fromUtf8(NamesCsv::Export(UnitNames{}, 1, 1, 1));
    EXPECT_TRUE(csv.contains("Port,Name\r\nUnit,\r\nInput 1,\r\nOutput 1,\r\nPreset 1,"))
        << csv.toStdString();
    EXPECT_FALSE(csv.contains('['));
}
