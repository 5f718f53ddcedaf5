// The technician's password: its hash, and the waits after wrong ones.
#include "link/VirtualClock.h"
#include "service/PasswordDigest.h"
#include "service/UnlockGuard.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QPasswordDigestor>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::service;
using namespace std::chrono_literals;

// Known answer of PBKDF2-HMAC-SHA256 (RFC 7914's vector), a fresh salt every
// time, and the right password alone matches.
TEST(PasswordDigest, KnownAnswerSaltsAndMatching) {
    EXPECT_EQ(PasswordDigest::Derive("passwd", "salt", 1).toHex(),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc");
    const PasswordRecord a = PasswordDigest::Make("desk 4 key");
    const PasswordRecord b = PasswordDigest::Make("desk 4 key");
    EXPECT_GE(a.iterations, RolesFile::kMinIterations);
    EXPECT_EQ(a.salt.size(), 16);
    EXPECT_NE(a.salt, b.salt);
    EXPECT_NE(a.hash, b.hash);
    QElapsedTimer took;
    took.start();
    EXPECT_TRUE(PasswordDigest::Matches(a, "desk 4 key"));
    std::printf("one check of %d iterations: %lld ms\n", a.iterations,
                static_cast<long long>(took.elapsed()));
    EXPECT_FALSE(PasswordDigest::Matches(a, "desk 4 kez"));
    EXPECT_FALSE(PasswordDigest::Matches(a, ""));
    EXPECT_FALSE(PasswordDigest::Matches(PasswordRecord{}, ""));
    EXPECT_FALSE(a.hash.contains("desk"));
}

// Each wrong password doubles the wait; during a wait nothing is tried, not
// even the right one; the right one after the wait ends the waits.
TEST(UnlockGuard, WaitsDoubleInVirtualTime) {
    VirtualClock clock;
    int checks = 0;
    UnlockGuard guard(clock, [&](const QString& p) {
        ++checks;
        return p == "right";
    });
    int ready = 0;
    guard.setOnReady([&] { ++ready; });
    for (const auto wait : {1s, 2s, 4s, 8s}) {
        EXPECT_EQ(guard.Try("wrong"), UnlockGuard::Result::Refused);
        EXPECT_EQ(guard.wait(), wait);
        clock.advance(wait - 1ms);
        EXPECT_EQ(guard.Try("right"), UnlockGuard::Result::Waiting);
        clock.advance(1ms);
        EXPECT_EQ(guard.wait(), 0ms);
    }
    EXPECT_EQ(checks, 4);
    EXPECT_EQ(ready, 4);
    EXPECT_EQ(guard.Try("right"), UnlockGuard::Result::Accepted);
    EXPECT_EQ(guard.Try("wrong"), UnlockGuard::Result::Refused);
    EXPECT_EQ(guard.wait(), 1s);
    // The wait stops growing at its longest.
    for (int i = 0; i < 40; ++i) {
        clock.advance(guard.wait());
        guard.Try("wrong");
    }
    EXPECT_EQ(guard.wait(), UnlockGuard::kLongestWait);
}
