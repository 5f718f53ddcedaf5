// Network clients of the line's owner, good and bad, against a real
// quadrel-server core on quadrel-sim: a bad request gets a clear 4xx or a
// closed connection, sends nothing down the line, and the owner goes on
// serving.
#include "DoorsFixture.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST_F(Doors, BadRequestsGetA4xxOrACloseSendNothingAndTheOwnerGoesOnServing) {
    const QByteArray& t = tech_;
    const QByteArray route = R"({"input":2,"output":1})";
    const QByteArray longHeader = "X-Long: " + QByteArray(9000, 'a') + "\r\n";
    QByteArray manyHeaders, bigHeaders;
    for (int i = 0; i < 65; ++i) { // one more than a request may carry
        manyHeaders += "X-" + QByteArray::number(i) + ": 1\r\n";
    }
    for (int i = 0; i < 20; ++i) {
        bigHeaders += "X-" + QByteArray::number(i) + ": " + QByteArray(2000, 'b') + "\r\n";
    }
    struct Case {
        const char* what;
        QByteArray request;
        int status; // 0: the connection is closed without an answer
    };
    const std::vector<Case> cases = {
        // What the staff may touch.
        {"staff beyond its outputs",
         Post("/api/v1/units/0/route", staff_, R"({"input":2,"output":2})"), 403},
        {"staff with one output beyond",
         Post("/api/v1/units/0/route", staff_, R"({"input":2,"outputs":[1,3]})"), 403},
        {"staff bass not granted",
         Post("/api/v1/units/0/outputs", staff_, R"({"output":1,"bass":20})"), 403},
        {"staff loads a preset", Post("/api/v1/units/0/presets/1/load", staff_, {}), 403},
        {"staff recalls a scene not theirs", Post("/api/v1/scenes/All/recall", staff_, {}), 403},
        {"staff on another unit", Post("/api/v1/units/1/route", staff_, route), 403},
        {"staff EDID", Post("/api/v1/units/0/inputs", staff_, R"({"input":1,"edid":1})"), 403},
        // Sizes and counts.
        {"a body past the limit", Post("/api/v1/units/0/route", t, QByteArray(70 * 1024, ' ')),
         413},
        {"a header too long", "GET /api/v1/units HTTP/1.1\r\n" + longHeader + "\r\n", 431},
        {"too many headers", "GET /api/v1/units HTTP/1.1\r\n" + manyHeaders + "\r\n", 431},
        {"headers too large together", "GET /api/v1/units HTTP/1.1\r\n" + bigHeaders + "\r\n", 431},
        {"a request line too long", "GET /api/v1/" + QByteArray(9000, 'u') + " HTTP/1.1\r\n\r\n",
         414},
        // Framing.
        {"bare line feeds", "GET /api/v1/units HTTP/1.1\nAuthorization: Bearer " + t + "\n\n", 400},
        {"HTTP/2", "GET /api/v1/units HTTP/2.0\r\n\r\n", 505},
        {"not a request line", "HELLO\r\n\r\n", 400},
        {"a method that is no token", "G(T /api/v1/units HTTP/1.1\r\n\r\n", 400},
        {"chunked", Post("/api/v1/units/0/route", t, "", "Transfer-Encoding: chunked\r\n"), 501},
        {"two lengths", Post("/api/v1/units/0/route", t, route, "Content-Length: 5\r\n"), 400},
        {"a negative length", "POST /api/v1/units/0/route HTTP/1.1\r\nContent-Length: -1\r\n\r\n",
         400},
        {"a length that is no number",
         "POST /api/v1/units/0/route HTTP/1.1\r\nContent-Length: 2x\r\n\r\n", 400},
        {"a folded header", "GET /api/v1/units HTTP/1.1\r\nX-A: 1\r\n  folded\r\n\r\n", 400},
        {"a header without colon", "GET /api/v1/units HTTP/1.1\r\nNoColon\r\n\r\n", 400},
        {"a control character in a header", "GET /api/v1/units HTTP/1.1\r\nX-A: a\x01z\r\n\r\n",
         400},
        // Paths.
        {"dot segments", Get("/api/v1/../../etc/passwd", t), 400},
        {"encoded dot segments", Get("/api/v1/%2e%2e/%2e%2e/etc/passwd", t), 400},
        {"an encoded slash", Get("/api/v1/units%2f0", t), 400},
        {"an encoded backslash", Get("/api/v1/units/..%5c..%5cetc", t), 400},
        {"an encoded NUL", Get("/api/v1/units/0%00", t), 400},
        {"a broken escape", Get("/api/v1/units/%zz", t), 400},
        {"a target that is no path", Get("http://x/api/v1/units", t), 400},
        // Routes and methods.
        {"another version", Get("/api/v2/units", t), 404},
        {"outside the API", Get("/etc/passwd", t), 404},
        {"DELETE", "DELETE /api/v1/units HTTP/1.1\r\nAuthorization: Bearer " + t + "\r\n\r\n", 405},
        {"PUT a route",
         "PUT /api/v1/units/0/route HTTP/1.1\r\nAuthorization: Bearer " + t + "\r\n\r\n", 405},
        {"GET a change", Get("/api/v1/units/0/route", t), 405},
        {"a unit not on the line", Get("/api/v1/units/9", t), 404},
        {"a unit that is no number", Get("/api/v1/units/abc", t), 404},
        {"an unknown change", Post("/api/v1/units/0/frobnicate", t, route), 404},
        // Bodies.
        {"broken JSON", Post("/api/v1/units/0/route", t, "{\"input\":"), 400},
        {"an array", Post("/api/v1/units/0/route", t, "[1,2]"), 400},
        {"input as text", Post("/api/v1/units/0/route", t, R"({"input":"2","output":1})"), 400},
        {"a fractional output", Post("/api/v1/units/0/route", t, R"({"input":2,"output":1.5})"),
         400},
        {"a huge number", Post("/api/v1/units/0/route", t, R"({"input":1e300,"output":1})"), 400},
        {"mute as text", Post("/api/v1/units/0/outputs", t, R"({"output":1,"mute":"yes"})"), 400},
        {"an unknown key", Post("/api/v1/units/0/route", t, R"({"input":2,"output":1,"x":1})"),
         400},
        {"output and outputs",
         Post("/api/v1/units/0/route", t, R"({"input":2,"output":1,"outputs":[2]})"), 400},
        {"no outputs", Post("/api/v1/units/0/route", t, R"({"input":2,"outputs":[]})"), 400},
        {"a kind of neither",
         Post("/api/v1/units/0/route", t, R"({"input":2,"output":1,"kind":"both"})"), 400},
        {"a unit ID past 31", Post("/api/v1/units/40/route", t, route), 400},
        {"not JSON by its type",
         Post("/api/v1/units/0/route", t, route).replace("application/json", "text/plain"), 415},
        // Against what the unit reports: nothing sent.
        {"an output past the unit's", Post("/api/v1/units/0/route", t, R"({"input":2,"output":9})"),
         422},
        {"an input past the unit's", Post("/api/v1/units/0/route", t, R"({"input":7,"output":1})"),
         422},
        {"a volume past 100", Post("/api/v1/units/0/outputs", t, R"({"output":1,"volume":101})"),
         422},
        {"a preset the unit lacks", Post("/api/v1/units/0/presets/9/load", t, {}), 422},
        // Browsers of other sites.
        {"another site's page",
         Get("/api/v1/units", t)
             .replace("Host: x\r\n", "Host: x\r\nOrigin: http://evil.example\r\n"),
         403},
        {"another site's preflight",
         "OPTIONS /api/v1/units/0/route HTTP/1.1\r\nOrigin: http://evil.example\r\n\r\n", 403},
        // Who asks: last, as each wrong token slows the next request.
        {"no token", "GET /api/v1/units HTTP/1.1\r\n\r\n", 401},
        {"no token on a change",
         "POST /api/v1/units/0/route HTTP/1.1\r\nContent-Length: 22\r\n\r\n" + route, 401},
        {"a wrong token", Get("/api/v1/units", "qdl1-00000000-xyz"), 401},
        {"a right id with a wrong secret", Get("/api/v1/units", t.left(14) + "0" + t.mid(15)), 401},
        {"a token cut short", Get("/api/v1/units", t.chopped(1)), 401},
        {"an empty token", Get("/api/v1/units", ""), 401},
        {"another scheme", "GET /api/v1/units HTTP/1.1\r\nAuthorization: Basic " + t + "\r\n\r\n",
         401},
        {"a revoked token", Post("/api/v1/units/0/route", revoked_, route), 401},
        {"an overlong token", Get("/api/v1/units", QByteArray(300, 'q')), 401},
    };
    ASSERT_GE(cases.size(), 50u);
    const int settings = Settings();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TcpClient client(api());
        client.Write(c.request);
        const int status = client.Status();
        if (c.status == 0) {
            EXPECT_TRUE(client.Ended());
        } else {
            EXPECT_EQ(status, c.status) << client.buffer().left(300).toStdString();
        }
    }
    EXPECT_EQ(Settings(), settings);
    // Still serving, and a good change goes down the line once; after the
    // guesses above, only after a wait.
    QElapsedTimer waited;
    waited.start();
    const QByteArray good = Ask(Post("/api/v1/units/0/route", tech_, R"({"input":3,"output":2})"));
    EXPECT_TRUE(good.startsWith("HTTP/1.1 200")) << good.toStdString();
    EXPECT_TRUE(good.contains(R"("videoInput":3)")) << good.toStdString();
    EXPECT_GE(waited.elapsed(), 1000);
    EXPECT_EQ(Settings(), settings + 2); // audio and video
}

// A stream opened after the last one went is told a change measured against
// the unit as it is when it opens, not against what the earlier one heard:
// changes made while nobody listened were not followed. A mute is one value,
// so nothing in between can hide the change.
TEST_F(Doors, AStreamOpenedLaterHearsAMuteBackToWhatAnEarlierOneWasTold) {
    const auto mute = [&](bool on) {
        return Ask(Post("/api/v1/units/0/outputs", tech_,
                        QByteArray(R"({"outputs":[2],"mute":)") + (on ? "true" : "false") + "}"));
    };
    const auto subscribed = [](const QByteArray& b) { return b.contains(": subscribed"); };
    const auto muted = [](const QByteArray& b) {
        return b.contains(R"("output":2,)") && b.contains(R"("mute":true)");
    };
    // Changes wait for the owner's first scan of the line.
    ASSERT_TRUE(WaitFor([&] { return said_.join('\n').contains("Scan ended"); }, 60s));
    {
        TcpClient first(api());
        first.Write(Get("/api/v1/events", tech_));
        ASSERT_TRUE(first.ReadUntil(subscribed));
        ASSERT_TRUE(mute(true).startsWith("HTTP/1.1 200"));
        ASSERT_TRUE(first.ReadUntil(muted)) << first.buffer().toStdString();
    }
    ASSERT_TRUE(WaitFor([&] { return server_->doors().api().streamCount() == 0; }, 5s));
    ASSERT_TRUE(mute(false).startsWith("HTTP/1.1 200"));
    TcpClient second(api());
    second.Write(Get("/api/v1/events", tech_));
    ASSERT_TRUE(second.ReadUntil(subscribed));
    ASSERT_TRUE(mute(true).startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(second.ReadUntil(muted, 5s)) << second.buffer().toStdString();
}

} // namespace
