// The operator's names in their own file, and the CSV table; file names as
// bytes: what a command line gives comes back the same, and a file written
// under such a name is that file and no other.
#include "model/NamesStore.h"
#include "model/FileBytes.h"
#include "model/LocalFileNames.h"
#include "model/NamesCsv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

NamedPort In(int n) {
    return {NameKind::Input, n};
}

// The folder's entries as the system holds them.
std::set<QByteArray> Entries(const QString& folder) {
    std::set<QByteArray> out;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    while (dirent* e = dir != nullptr ? ::readdir(dir) : nullptr) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..") {
            out.insert(name);
        }
    }
    if (dir != nullptr) {
        ::closedir(dir);
    }
    return out;
}

// QTemporaryDir cannot remove what it cannot name.
void RemoveEntries(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder) + '/';
    for (const QByteArray& name : Entries(folder)) {
        if (::unlink((path + name).constData()) != 0) {
            ::rmdir((path + name).constData());
        }
    }
}

QByteArray Contents(const QByteArray& path) {
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        return "(none)";
    }
    return file.readAll();
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

TEST(LocalFileNames, EveryNameComesBackAsItsBytesAndUtf8ReadsAsQtReadsIt) {
    const QByteArray names[] = {
        "hall.json",
        "Saal-\xc3\xa9.json",                // é
        "\xf0\x9f\x8e\xb5 and \xe2\x82\xac", // astral, then three bytes
        "hall-\xe9.json",
        "hall-\xe8.json",
        "\xed\xa0\x80",          // a surrogate written as UTF-8
        "\xc0\x80 \xe0\x80\xaf", // overlong forms
        "\xf4\x90\x80\x80",      // past U+10FFFF
        "\xf8\x88\x80\x80\x80",  // five bytes
        "cut \xe2\x82",          // a sequence cut short at the end
        "\xe2\x82 cut",          // and in the middle
        "\xf0\x9f\x8e\xb5\xe9",  // an astral character, then a kept byte
        "\x80\xbf\xfe\xff",
    };
    for (const QByteArray& name : names) {
        SCOPED_TRACE(name.toHex().toStdString());
        const QString decoded = LocalFileNames::Decode(name);
        EXPECT_EQ(LocalFileNames::Encode(decoded), name);
        const bool utf8 = QString::fromUtf8(name).toUtf8() == name;
        EXPECT_EQ(decoded == QString::fromUtf8(name), utf8);
    }
    EXPECT_NE(LocalFileNames::Decode("hall-\xe9.json"), LocalFileNames::Decode("hall-\xe8.json"));
    // A dialog's name is written as Qt writes it.
    const QString typed = QString::fromUtf8("Saal-\xc3\xa9-\xf0\x9f\x8e\xb5.json");
    EXPECT_EQ(LocalFileNames::Encode(typed), QFile::encodeName(typed));
}

TEST(LocalFileNames, AWriteIsToTheNameGivenAndOneThatFailsLeavesTheOldFile) {
    QTemporaryDir dir;
    const struct Cleanup {
        QString folder;
        ~Cleanup() { RemoveEntries(folder); }
    } cleanup{dir.path()};
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    QString error;
    ASSERT_TRUE(LocalFileNames::WriteAtomically(folder + "hall-\xe9.json", "unit 5", error));
    ASSERT_TRUE(LocalFileNames::WriteAtomically(folder + "hall-\xe8.json", "unit 2", error));
    EXPECT_EQ(Entries(dir.path()), (std::set<QByteArray>{"hall-\xe9.json", "hall-\xe8.json"}));
    EXPECT_EQ(Contents(folder + "hall-\xe9.json"), "unit 5");

    // Replaced whole, with the permissions it had.
    ASSERT_EQ(::chmod((folder + "hall-\xe9.json").constData(), 0640), 0);
    ASSERT_TRUE(LocalFileNames::WriteAtomically(folder + "hall-\xe9.json", "unit 5 again", error));
    EXPECT_EQ(Contents(folder + "hall-\xe9.json"), "unit 5 again");
    struct stat info {};
    ASSERT_EQ(::stat((folder + "hall-\xe9.json").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // The new file beside it cannot be made (its name would be too long):
    // the old one stays, and nothing is left behind.
    const QByteArray longest = folder + QByteArray(250, 'q') + "\xe9";
    const int fd = ::open(longest.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "old", 3), 3);
    ::close(fd);
    EXPECT_FALSE(LocalFileNames::WriteAtomically(longest, "new", error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Contents(longest), "old");
    // A folder in the file's place, and a file in the folder's place.
    ASSERT_EQ(::mkdir((folder + "a folder \xe9").constData(), 0755), 0);
    EXPECT_FALSE(LocalFileNames::WriteAtomically(folder + "a folder \xe9", "x", error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_FALSE(LocalFileNames::WriteAtomically(folder + "hall-\xe8.json/x", "x", error));
    EXPECT_EQ(Entries(dir.path()).size(), 4u);
}
