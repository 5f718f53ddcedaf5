// The operator's names in their own file, and the CSV table.
#include "model/NamesStore.h"
#include "model/NamesCsv.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quadrel;

namespace {

NamedPort In(int n) {
    return {NameKind::Input, n};
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

} // namespace

// Another report of the same ID is offered the names; used, they go over to it.
TEST(NamesStore, KeysByReportAWriteReplacesTheFileWholeAndADamagedFileIsKeptAside) {
    QTemporaryDir dir;
    const QString path = dir.filePath("names.json");
    const UnitReport unit{3, "Booth", 4, 4}, bigger{3, "Booth", 8, 4};
    NamesStore s(path);
    s.Load();
    s.SetName(unit, In(1), "Camera");
    EXPECT_EQ(s.Offered({4, "Booth", 4, 4}), nullptr);
    EXPECT_EQ(s.Exact(bigger), nullptr);
    ASSERT_NE(s.Offered(bigger), nullptr);
    EXPECT_TRUE(s.Use(bigger));
    EXPECT_EQ(s.Exact(unit), nullptr);
    s.Use(unit);
    const QByteArray before = Read(path);
    // A reader that opened the file before a write still reads the old one whole.
    QFile reader(path);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    s.SetName(unit, In(2), "Lectern PC");
    EXPECT_EQ(reader.readAll(), before);
    EXPECT_TRUE(Read(path).contains("Lectern PC"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"names.json"});

    // Cut short: moved aside with every byte, and the store starts empty.
    const QByteArray damaged = Read(path).left(60);
    QFile cut(path);
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
    cut.write(damaged);
    cut.close();
    NamesStore again(path);
    again.Load();
    EXPECT_TRUE(again.entries().empty());
    EXPECT_TRUE(again.problem().contains(path + ".damaged")) << again.problem().toStdString();
    EXPECT_EQ(Read(path + ".damaged"), damaged);
    again.SetName(unit, In(1), "New");
    EXPECT_EQ(Read(path + ".damaged"), damaged);
    // The last name cleared takes the unit's entry with it.
    again.SetName(unit, In(1), "  ");
    EXPECT_TRUE(again.entries().empty());

    // What a reader refuses, and what it makes plain.
    const auto units = [](const QByteArray& entry) {
        return R"({"format":"quadrel-names","version":1,"units":[)" + entry + "]}";
    };
    const auto entry = [&units](const char* id, const char* inputs) {
        return units(
            QByteArray(R"({"id":)") + id +
            R"(,"reports":{"name":"","inputs":1,"outputs":1},"names":{"unit":"","inputs":{)" +
            inputs + R"(},"outputs":{},"presets":{}}})");
    };
    const char* good = R"({"id":3,"reports":{"name":"Booth","inputs":4,"outputs":4},)"
                       R"("names":{"unit":"","inputs":{"1":"<b>A</b>\u0007\n)"
                       R"(xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},)"
                       R"("outputs":{},"presets":{}}})";
    QString error;
    const auto read = NamesStore::FromJson(units(good), error);
    ASSERT_TRUE(read) << error.toStdString();
    const QString name = NameOf(read->front().names, In(1));
    EXPECT_TRUE(name.startsWith(QString("<b>A</b>") + QChar(0xFFFD) + " xxx"));
    EXPECT_EQ(name.size(), kMaxPortNameLength);
    for (const QByteArray& bad :
         {QByteArray("[]"), QByteArray(R"({"format":"quadrel-names","version":2,"units":[]})"),
          entry("40", ""), entry("1", R"("0":"x")"), entry("1", R"("256":"x")"),
          entry("1", R"("1":7)"), QByteArray(NamesStore::kMaxBytes + 1, ' ')}) {
        EXPECT_FALSE(NamesStore::FromJson(bad, error)) << bad.left(120).toStdString();
    }
}

TEST(NamesCsv, RoundTripsQuotesCommasLineBreaksAndNonAsciiAndPlainNames) {
    const std::vector<QStringList> rows{{"Port", "Name"},
                                        {"Input 1", "Lectern \"main\" PC"},
                                        {"Input 2", "Left, right"},
                                        {"Input 3", "two\r\nlines\nhere"},
                                        {"Output 1", QString::fromUtf8("Bühne 東 🎤")},
                                        {"Output 2", ""}};
    const QByteArray text = NamesCsv::Write(rows);
    EXPECT_TRUE(text.startsWith("\xEF\xBB\xBFPort,Name\r\n"));
    EXPECT_TRUE(text.contains("Input 1,\"Lectern \"\"main\"\" PC\"\r\n"));
    EXPECT_TRUE(text.contains("Input 2,\"Left, right\"\r\n"));
    std::vector<QStringList> back;
    QString error;
    ASSERT_TRUE(NamesCsv::Read(text, back, error));
    EXPECT_EQ(back, rows);
    EXPECT_FALSE(NamesCsv::Read("Input 1,\"never ends\r\n", back, error));

    // A plain name marks control characters, trims and keeps to its bound.
    const QChar bad = QChar::ReplacementCharacter;
    const std::pair<QString, QString> cases[] = {
        {"  Lectern\tPC \n", "Lectern PC"},
        {QString("a") + QChar(0x202E) + "b" + QChar(0x07), QString("a") + bad + "b" + bad},
        {"<i>x</i> & y", "<i>x</i> & y"},
        {QString(70, 'n'), QString(64, 'n')},
        {QString(63, 'n') + QString::fromUtf8("🎤🎤"), QString(63, 'n') + QString::fromUtf8("🎤")},
    };
    for (const auto& [typed, kept] : cases) {
        EXPECT_EQ(PlainName(typed), kept) << typed.toStdString();
    }
}
