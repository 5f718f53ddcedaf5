// Names come from the units: whatever bytes they send must reach the unit
// list as inert, visible text.
#include "SwitchRig.h"
#include "app/UnitRowTexts.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

// The unit list's NAME cell after unit 9 answered its information request
// with `name` (audio and video, 2 presets, 4 outputs, 4 inputs).
QString ListedName(const Bytes& name) {
    SwitchRig r;
    r.core.link.senders.CmdGetUnitInfo(9, 0, 1);
    Bytes payload = {0xC2, 4, 4};
    payload.insert(payload.end(), name.begin(), name.end());
    r.Reply(payload);
    QTreeWidgetItem* row = r.pane.FindUnitRow("QRD9");
    if (row == nullptr) {
        return QStringLiteral("(no row)");
    }
    // Item views never read markup; the tool tip, which would, is fixed text.
    const int column = UnitColumnOf(QLatin1String("NAME"));
    EXPECT_FALSE(row->toolTip(column).contains(QLatin1Char('<')));
    return row->text(column);
}

Bytes Of(const char* text) {
    return Bytes(text, text + std::strlen(text));
}

} // namespace

TEST(UnitNames, MarkupControlCharactersAndInvalidBytesShowAsPlainText) {
    const QChar bad = QChar::ReplacementCharacter;

    // Markup and entities stay as typed.
    EXPECT_EQ(ListedName(Of("<img src=x>&amp;<br/>")), "<img src=x>&amp;<br/>");

    // Bell, carriage return, escape, delete: each one a visible mark.
    EXPECT_EQ(ListedName({'A', 0x07, 'B', 0x0D, 0x1B, '[', '2', 'J', 0x7F}),
              QString("A") + bad + "B" + bad + bad + "[2J" + bad);

    // Not UTF-8: read byte for byte, and C1 controls marked too.
    EXPECT_EQ(ListedName({'H', 0xE4, 'l', 'l', 0xFF, 0x85, 0x9B}),
              QString::fromUtf8("H\xC3\xA4ll\xC3\xBF") + bad + bad);

    // UTF-8 that would reorder or hide text: a right-to-left override, a
    // zero-width joiner, a byte order mark and an invisible tag character.
    EXPECT_EQ(ListedName({'a', 0xE2, 0x80, 0xAE, 'b', 0xE2, 0x80, 0x8D, 'c', 0xEF, 0xBB, 0xBF, 'd',
                          0xF3, 0xA0, 0x81, 0x81}),
              QString("a") + bad + "b" + bad + "c" + bad + "d" + bad);

    // A name of nothing but a zero byte, and the longest one a reply can carry.
    EXPECT_EQ(ListedName({0x00}), QString(bad));
    EXPECT_EQ(ListedName(Bytes(252, 'N')), QString(252, QLatin1Char('N')));
}
