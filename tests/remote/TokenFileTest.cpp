// The tokens file: a token lets in only with its whole secret, is kept only
// as a hash, goes at once when revoked (by another program too), and a file
// that is damaged, too large or from a newer Quadrel lets nobody in.
#include "model/TokenFile.h"
#include "ctl/TokenCommand.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using quadrel::Role;
using quadrel::TokenFile;
using quadrel::TokenRecord;

TEST(TokenFile, OnlyTheWholeSecretLetsInAndTheFileHoldsNoSecret) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tokens.json");
    TokenFile file(path);
    QString secret, error;
    TokenRecord made;
    ASSERT_TRUE(file.Create("Room 2", Role::Staff, secret, made, error));
    const QByteArray s = secret.toLatin1();
    struct Case {
        const char* what;
        QByteArray shown;
        bool in;
    };
    const std::vector<Case> cases = {
        {"the token", s, true},
        {"one character changed", s.left(s.size() - 1) + (s.endsWith('A') ? "B" : "A"), false},
        {"cut short", s.chopped(1), false},
        {"one more character", s + "A", false},
        {"the id alone", s.left(14), false},
        {"another id, the same secret", s.left(5) + "ffffffff" + s.mid(13), false},
        {"empty", "", false},
        {"the stored hash", made.hash.toBase64(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(file.Verify(c.shown).has_value(), c.in);
    }
    // A wrong secret whose hash ends as the right one's does: every byte counts.
    for (int i = 0;; ++i) {
        const QByteArray wrong = s + QByteArray::number(i);
        if (TokenFile::Digest(made.salt, wrong).endsWith(made.hash.right(1))) {
            EXPECT_FALSE(file.Verify(wrong));
            break;
        }
    }
    QFile stored(path);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const QByteArray text = stored.readAll();
    EXPECT_FALSE(text.contains(s.mid(14)));
    EXPECT_EQ(stored.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
    EXPECT_FALSE(file.Create("Room 2", Role::Technician, secret, made, error)); // name taken

    // Revoked by quadrel-ctl while another program holds the file open.
    TokenFile door(path);
    ASSERT_TRUE(door.Refresh(error));
    ASSERT_TRUE(door.Verify(s));
    const auto r = quadrel::ctl::TokenCommand::Run({"token", "revoke", "Room 2"}, path);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_TRUE(door.Refresh(error));
    EXPECT_FALSE(door.Verify(s));
    EXPECT_EQ(quadrel::ctl::TokenCommand::Run({"token", "revoke", "Room 2"}, path).status, 8);
    EXPECT_EQ(quadrel::ctl::TokenCommand::Run({"token", "make", "x"}, path).status, 2);
}

TEST(TokenFile, AFileThatCannotBeTrustedLetsNobodyIn) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tokens.json");
    TokenFile file(path);
    QString secret, error;
    TokenRecord made;
    ASSERT_TRUE(file.Create("desk", Role::Technician, secret, made, error));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    f.close();
    const std::vector<std::pair<const char*, QByteArray>> damaged = {
        {"cut", good.left(good.size() / 2)},
        {"a newer format", QByteArray(good).replace("\"version\": 1", "\"version\": 2")},
        {"a short hash", QByteArray(good).replace("\"sha256\": \"", "\"sha256\": \"AAAA")},
        {"an unknown role", QByteArray(good).replace("technician", "owner")},
        {"too large", good + QByteArray(TokenFile::kMaxBytes, ' ')},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        TokenFile reader(path);
        EXPECT_FALSE(reader.Refresh(error));
        EXPECT_FALSE(reader.Verify(secret.toLatin1()));
    }
}

} // namespace
