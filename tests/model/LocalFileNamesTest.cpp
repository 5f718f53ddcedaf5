// File names as bytes: what a command line gives comes back the same, and a
// file written under such a name is that file and no other.
#include "model/LocalFileNames.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quadrel;

namespace {

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
