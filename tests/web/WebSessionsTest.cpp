// The web panel's logins and sessions: who a secret makes you, and how long
// a session lasts.
#include "remote/WebSessions.h"
#include "model/RolesFile.h"
#include "service/PasswordDigest.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using quadrel::Role;
using quadrel::RolesConfig;
using quadrel::RolesFile;
using quadrel::remote::WebSessions;
namespace Digest = quadrel::service::PasswordDigest;

namespace {

TEST(WebSessions, ThePasswordMakesATechnicianThePinStaffAndNothingElseAnyone) {
    QTemporaryDir dir;
    const QString withBoth = dir.filePath("both.json");
    const QString noPin = dir.filePath("nopin.json");
    const QString damaged = dir.filePath("damaged.json");
    RolesConfig c;
    c.password = Digest::Make("tech-pass", RolesFile::kMinIterations);
    QString error;
    ASSERT_TRUE(RolesFile::Save(noPin, c, error));
    c.staffPin = Digest::Make("2468", RolesFile::kMinIterations);
    ASSERT_TRUE(RolesFile::Save(withBoth, c, error));
    // A PIN's record cut short: the file is refused whole, so no one logs in.
    QByteArray text = RolesFile::ToJson(c);
    const qsizetype pin = text.indexOf("\"staffPin\"");
    text.replace(text.indexOf("\"hash\"", pin), 8, "\"hash\": \"AAAA\", \"x\"");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) > 0);
    file.close();

    struct Case {
        QString file, secret;
        std::optional<Role> role;
    };
    const std::vector<Case> cases = {
        {withBoth, "tech-pass", Role::Technician},
        {withBoth, "2468", Role::Staff},
        {withBoth, "2469", std::nullopt},
        {withBoth, "", std::nullopt},
        {withBoth, "tech-pass ", std::nullopt},
        {noPin, "2468", std::nullopt},
        {noPin, "", std::nullopt},
        {damaged, "tech-pass", std::nullopt},
        {dir.filePath("missing.json"), "", std::nullopt},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(WebSessions::Verify(k.file, k.secret), k.role)
            << k.file.toStdString() << " / " << k.secret.toStdString();
    }
    // The PIN survives the file's round trip beside the password.
    const auto read = RolesFile::FromJson(RolesFile::ToJson(c), error);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->staffPin, c.staffPin);
}

TEST(WebSessions, ASessionEndsWhenQuietWhenOldWhenLoggedOutOrCrowdedOut) {
    std::chrono::milliseconds now{1000};
    WebSessions sessions("", [&] { return now; });
    const auto staff = sessions.Open(Role::Staff);
    EXPECT_NE(staff.cookie, staff.csrf);
    ASSERT_TRUE(sessions.Find(staff.cookie));
    EXPECT_EQ(sessions.Find(staff.cookie)->csrf, staff.csrf);
    EXPECT_FALSE(sessions.Find(staff.csrf)) << "the second secret is not a cookie";
    EXPECT_FALSE(sessions.Find({}));

    // Used every 20 minutes it lives on, but not past the longest.
    const auto busy = sessions.Open(Role::Technician);
    const auto quiet = sessions.Open(Role::Staff);
    for (now += 20min; now < WebSessions::kLongest; now += 20min) {
        ASSERT_TRUE(sessions.Find(busy.cookie)) << now.count();
    }
    EXPECT_FALSE(sessions.Find(quiet.cookie));
    now += 20min;
    EXPECT_FALSE(sessions.Find(busy.cookie));

    const auto out = sessions.Open(Role::Staff);
    sessions.Logout(out.cookie);
    EXPECT_FALSE(sessions.Find(out.cookie));

    // Too many: the one used longest ago gives way, the others stay.
    std::vector<WebSessions::Opened> opened;
    for (int i = 0; i < WebSessions::kMostSessions; ++i) {
        now += 1s;
        opened.push_back(sessions.Open(Role::Staff));
    }
    now += 1s;
    ASSERT_TRUE(sessions.Find(opened[0].cookie)); // now the most recent
    sessions.Open(Role::Staff);
    EXPECT_EQ(sessions.count(), WebSessions::kMostSessions);
    EXPECT_TRUE(sessions.Find(opened[0].cookie));
    EXPECT_FALSE(sessions.Find(opened[1].cookie));
}

} // namespace
