// The operator's names in their own file, and the CSV table.
#include "model/NamesStore.h"
#include "model/FileBytes.h"
#include "model/NamesCsv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using namespace quadrel;
using namespace quadrel::test;

namespace {

NamedPort In(int n) {
    return {NameKind::Input, n};
}

} // namespace

// Another report of the same ID is offered the names; used, they go over to it.
TEST(NamesStore, KeysByReportAndDamagedOrNewerFilesAreNeverLost) {
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
    const QByteArray before = ReadBytes(path);
    // A reader that opened the file before a write still reads the old one whole.
    QFile reader(path);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    s.SetName(unit, In(2), "Lectern PC");
    EXPECT_EQ(reader.readAll(), before);
    EXPECT_TRUE(ReadBytes(path).contains("Lectern PC"));
    EXPECT_EQ(QDir(dir.path()).entryList({"names.json*"}, QDir::Files), QStringList{"names.json"});

    // Cut short: moved aside with every byte, and the store starts empty.
    const QByteArray damaged = ReadBytes(path).left(60);
    ASSERT_TRUE(WriteBytes(path, damaged));
    NamesStore again(path, [] { return QStringLiteral("20260102-030405"); });
    again.Load();
    EXPECT_TRUE(again.entries().empty());
    const QString aside = path + ".damaged-20260102-030405";
    EXPECT_TRUE(again.problem().contains(aside)) << again.problem().toStdString();
    EXPECT_EQ(ReadBytes(aside), damaged);
    again.SetName(unit, In(1), "New");
    EXPECT_EQ(ReadBytes(aside), damaged);
    // A second damaged file in the same second keeps the first copy.
    ASSERT_TRUE(WriteBytes(path, "{"));
    again.SetName(unit, In(1), "Newer");
    EXPECT_EQ(ReadBytes(aside), damaged);
    EXPECT_EQ(ReadBytes(aside + "-2"), "{");
    EXPECT_EQ(NameOf(*again.Exact(unit), In(1)), "Newer");
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
                       R"(xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},)"
                       R"("outputs":{},"presets":{}}})";
    QString error;
    const auto read = NamesStore::FromJson(units(good), error);
    ASSERT_TRUE(read) << error.toStdString();
    const QString name = NameOf(read->front().names, In(1));
    EXPECT_EQ(name, QString("<b>A</b>") + QChar(0xFFFD) + " " + QString(54, 'x'));
    for (const QByteArray& bad :
         {QByteArray("[]"), entry("40", ""), entry("1", R"("0":"x")"), entry("1", R"("256":"x")"),
          entry("1", R"("1":7)"), entry("1", "\"1\":\"" + QByteArray(65, 'x') + "\""),
          QByteArray(NamesStore::kMaxBytes + 1, ' ')}) {
        EXPECT_FALSE(NamesStore::FromJson(bad, error)) << bad.left(120).toStdString();
    }

    // A newer Quadrel's file is left as it is, with a word to the operator.
    const QByteArray newer = R"({"format":"quadrel-names","version":3,"units":[]})";
    ASSERT_TRUE(WriteBytes(path, newer));
    NamesStore third(path);
    third.Load();
    EXPECT_TRUE(third.problem().contains("newer Quadrel")) << third.problem().toStdString();
    EXPECT_FALSE(third.SetName(unit, In(1), "Kept here only"));
    EXPECT_EQ(NameOf(*third.Exact(unit), In(1)), "Kept here only");
    EXPECT_EQ(ReadBytes(path), newer);
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

// One program runs per line; each change goes into the file as it is now.
TEST(NamesStore, TwoProgramsOnOneFileKeepBothNamesAndIdenticalUnitsOnTwoLinesTheirOwn) {
    QTemporaryDir dir;
    const QString path = dir.filePath("names.json");
    const UnitReport hall{1, "Hall", 8, 8, 1}, foyer{2, "Foyer", 8, 8, 2};
    NamesStore a(path), b(path);
    a.Load();
    b.Load();
    ASSERT_TRUE(a.SetName(hall, In(1), "Lectern"));
    ASSERT_TRUE(b.SetName(foyer, In(1), "Door"));
    ASSERT_NE(b.Exact(hall), nullptr); // b took the file as it was
    NamesStore c(path);
    c.Load();
    EXPECT_EQ(NameOf(*c.Exact(hall), In(1)), "Lectern");
    EXPECT_EQ(NameOf(*c.Exact(foyer), In(1)), "Door");

    // Both at once, each naming every input of its unit: nothing is lost.
    const auto name = [](const UnitReport& unit, int n) {
        return QStringLiteral("%1 %2").arg(unit.name).arg(n);
    };
    const auto run = [&](const UnitReport& unit) {
        NamesStore own(path);
        own.Load();
        for (int n = 1; n <= 60; ++n) {
            EXPECT_TRUE(own.SetName(unit, In(n), name(unit, n))) << own.problem().toStdString();
        }
    };
    std::thread first(run, hall), second(run, foyer);
    first.join();
    second.join();
    c.Load();
    for (const UnitReport& unit : {hall, foyer}) {
        ASSERT_NE(c.Exact(unit), nullptr);
        for (int n = 1; n <= 60; ++n) {
            EXPECT_EQ(NameOf(*c.Exact(unit), In(n)), name(unit, n));
        }
    }
    EXPECT_FALSE(QFile::exists(path + ".lock"));

    // Identical units on two lines: names of their own, none offered across.
    const UnitReport left{5, "Rack", 4, 4, 1}, right{5, "Rack", 4, 4, 2};
    ASSERT_TRUE(a.SetName(left, In(1), "Left mic"));
    EXPECT_EQ(a.Exact(right), nullptr);
    EXPECT_EQ(a.Offered(right), nullptr);
    // Another unit at that ID is offered the names of its own line only.
    EXPECT_NE(a.Offered({5, "Rack", 8, 4, 1}), nullptr);
    EXPECT_EQ(a.Offered({5, "Rack", 8, 4, 2}), nullptr);
    ASSERT_TRUE(a.SetName(right, In(1), "Right mic"));
    EXPECT_EQ(NameOf(*a.Exact(left), In(1)), "Left mic");
    EXPECT_EQ(NameOf(*a.Exact(right), In(1)), "Right mic");

    // A file from before lines were told apart serves the unit on any line;
    // a change on one line is that line's own.
    ASSERT_TRUE(WriteBytes(path,
                           R"({"format":"quadrel-names","version":1,"units":[{"id":5,"reports":)"
                           R"({"name":"Rack","inputs":4,"outputs":4},"names":{"unit":"","inputs":)"
                           R"({"1":"Shared","2":"Both"},"outputs":{},"presets":{}}}]})"));
    a.Load();
    EXPECT_EQ(NameOf(*a.Exact(left), In(1)), "Shared");
    ASSERT_TRUE(a.SetName(left, In(1), "Left only"));
    EXPECT_EQ(NameOf(*a.Exact(left), In(1)), "Left only");
    EXPECT_EQ(NameOf(*a.Exact(left), In(2)), "Both");
    EXPECT_EQ(NameOf(*a.Exact(right), In(1)), "Shared");
}
