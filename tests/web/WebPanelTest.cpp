// The staff's web panel in a real browser (headless Chromium through
// chromedriver) against the window owning the emulator's line: what the
// staff tap reaches the line once, what the operator changes in the window
// reaches the page, and what the staff may not touch is neither offered nor
// taken.
#include "PanelOnLine.h"
#include "WebDriver.h"
#include "app/CrosspointCell.h"
#include "app/SwitchGrid.h"
#include "app/SwitchView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace std::chrono_literals;
using namespace quadrel::test;

namespace {

std::unique_ptr<PanelOnLine> line;

class WebPanel : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        line = std::make_unique<PanelOnLine>();
        const QString problem = line->Start();
        if (!problem.isEmpty()) {
            line.reset();
            FAIL() << problem.toStdString();
        }
    }
    static void TearDownTestSuite() { line.reset(); }
    void SetUp() override { ASSERT_NE(line, nullptr); }
};

// The text of the first element `css` matches, or empty.
QString Text(WebDriver& web, const QString& css) {
    return web
        .Run("const e = document.querySelector(arguments[0]); return e ? e.textContent : '';",
             {css})
        .toString();
}

bool WaitForText(WebDriver& web, const QString& css, const QString& text,
                 std::chrono::milliseconds limit = 10s) {
    return WaitFor([&] { return Text(web, css).contains(text); }, limit);
}

// Errors in the browser's console since the last look.
QStringList Errors(WebDriver& web) {
    QStringList out;
    for (const QJsonValue& entry : web.Console()) {
        if (entry.toObject().value("level").toString() == "SEVERE") {
            out << entry.toObject().value("message").toString();
        }
    }
    return out;
}

void Keep(WebDriver& web, const char* name) {
    const QByteArray png = web.Screenshot();
    ASSERT_FALSE(png.isEmpty());
    const QString folder = qEnvironmentVariable("QUADREL_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(png);
    }
}

struct Answer {
    int status = 0;
    QByteArray body;
    QByteArray cookie; // Set-Cookie, as sent
};

using Header = std::pair<QByteArray, QByteArray>;
using Headers = std::vector<Header>;

// One request as a page of any site, or a script, could send it.
Answer Send(const QByteArray& method, const QString& path, const QByteArray& body,
            const Headers& headers) {
    QNetworkAccessManager net;
    QNetworkRequest request(QUrl(line->url(path)));
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    for (const auto& [name, value] : headers) {
        request.setRawHeader(name, value);
    }
    QNetworkReply* reply = net.sendCustomRequest(request, method, body);
    WaitFor([&] { return reply->isFinished(); }, 10s);
    Answer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
             reply->rawHeader("Set-Cookie")};
    delete reply;
    return a;
}

TEST_F(WebPanel, ForgedAndCrossSiteRequestsAreRefusedWithNothingOnTheLine) {
    const QByteArray origin = line->origin().toLatin1();
    const Answer login = Send("POST", "/session", R"({"secret":"2468"})", {{"Origin", origin}});
    ASSERT_EQ(login.status, 200) << login.body.toStdString();
    EXPECT_TRUE(login.cookie.contains("HttpOnly") && login.cookie.contains("SameSite=Strict") &&
                !login.cookie.contains("Secure"))
        << login.cookie.toStdString();
    const QByteArray cookie = login.cookie.split(';').front();
    const QByteArray csrf =
        QJsonDocument::fromJson(login.body).object()["csrf"].toString().toLatin1();
    ASSERT_FALSE(csrf.isEmpty());

    const Header session{"Cookie", cookie}, second{"X-Quadrel-CSRF", csrf}, own{"Origin", origin},
        evil{"Origin", "http://evil.example"}, wrong{"X-Quadrel-CSRF", csrf + "x"},
        crossSite{"Sec-Fetch-Site", "cross-site"},
        madeUp{"Cookie", "quadrel_session=AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"};
    const QByteArray route = "/api/v1/units/0/route", outputs = "/api/v1/units/0/outputs",
                     recall = "/api/v1/scenes/Service/recall";
    const QByteArray route2 = R"({"input":2,"output":2})", route3 = R"({"input":2,"output":3})",
                     mute = R"({"output":1,"mute":true})", pin = R"({"secret":"2468"})";
    const struct {
        const char* what;
        QByteArray method, path, body;
        Headers headers;
        int status;
    } cases[] = {
        {"an output not the staff's", "POST", route, route3, {session, second, own}, 403},
        {"no second secret", "POST", route, route2, {session, own}, 403},
        {"a wrong second secret", "POST", route, route2, {session, wrong}, 403},
        {"another site's page", "POST", route, route2, {session, second, evil}, 403},
        {"a cross-site fetch", "POST", outputs, mute, {session, second, crossSite}, 403},
        {"a made-up session", "POST", route, route2, {madeUp, second}, 401},
        {"a scene not the staff's", "POST", recall, "", {session, second}, 403},
        {"a login from another site", "POST", "/session", pin, {evil}, 403},
        {"a file that is not the panel's", "GET", "/roles.json", "", {}, 404},
        {"a path out of the panel", "GET", "/%2e%2e/%2e%2e/etc/passwd", "", {}, 404},
    };
    const qsizetype before = line->requestCount();
    for (const auto& c : cases) {
        const Answer a = Send(c.method, c.path, c.body, c.headers);
        EXPECT_EQ(a.status, c.status) << c.what << ": " << a.body.toStdString();
    }
    // The same session still works for what it may do, as a read.
    EXPECT_EQ(Send("GET", "/api/v1/units/0", "", {session}).status, 200);
    EXPECT_TRUE(line->SettingsSince(before).isEmpty())
        << line->SettingsSince(before).join(" | ").toStdString();

    const Answer page = Send("GET", "/", "", {});
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains("panel.js"));
    // Logged out, the cookie opens nothing.
    EXPECT_EQ(Send("DELETE", "/session", "", {session, second}).status, 200);
    EXPECT_EQ(Send("GET", "/api/v1/units", "", {session}).status, 401);
}

TEST_F(WebPanel, StaffRouteSetAVolumeAndRecallASceneAndSeeOthersChangesLive) {
    WebDriver web;
    QString reason;
    ASSERT_TRUE(web.Start(reason)) << reason.toStdString();
    ASSERT_TRUE(web.Go(line->url()));
    ASSERT_TRUE(WaitFor([&] { return !web.Find("#login:not([hidden]) #secret").isEmpty(); }, 10s))
        << Errors(web).join("\n").toStdString();
    // The first view, as it came over the network, before any login.
    const int firstView =
        web.Run("return performance.getEntries().reduce((n, e) => n + (e.transferSize || 0), 0);")
            .toInt();
    EXPECT_GT(firstView, 0);
    EXPECT_LE(firstView, 150 * 1024) << firstView << " bytes";

    // Wrong PINs are refused, and each one makes the next try wait longer.
    std::vector<qint64> waited;
    for (int i = 0; i < 2; ++i) {
        QElapsedTimer t;
        t.start();
        ASSERT_TRUE(web.Type("#secret", "0000"));
        ASSERT_TRUE(web.Click("#login-button"));
        ASSERT_TRUE(WaitForText(web, "#login-error", "Wrong PIN"));
        waited.push_back(t.elapsed());
        web.Run("document.getElementById('login-error').textContent = '';");
    }
    EXPECT_GE(waited[1], 250) << "the second wrong PIN was not delayed";
    EXPECT_TRUE(web.Find("#panel:not([hidden])").isEmpty());
    // The refusals are the only complaints the browser has.
    for (const QString& error : Errors(web)) {
        EXPECT_TRUE(error.contains("401")) << error.toStdString();
    }

    ASSERT_TRUE(web.Type("#secret", PanelOnLine::kPin));
    ASSERT_TRUE(web.Click("#login-button"));
    ASSERT_TRUE(WaitFor([&] { return !web.Find("#output-2").isEmpty(); }, 15s));
    EXPECT_TRUE(web.Find("#output-3").isEmpty()) << "an output not the staff's is offered";
    EXPECT_TRUE(Text(web, "#output-2").contains("Hall"));
    EXPECT_TRUE(Text(web, "#scenes").contains("Evening"));
    EXPECT_FALSE(Text(web, "#scenes").contains("Service")) << "a scene not the staff's is offered";

    // Output 2 ← input 3 by two taps, and back: each switch frame once.
    for (const int input : {3, 1}) {
        const qsizetype before = line->requestCount();
        ASSERT_TRUE(web.Click("#output-2"));
        ASSERT_TRUE(web.Click(QStringLiteral("#input-%1").arg(input)));
        ASSERT_GT(line->WaitForSetting(before, quadrel::kCmdSetVideoSwitch, 5s), 0);
        ASSERT_TRUE(WaitForText(web, "#output-2 .source",
                                input == 3 ? "Input 3 · Blu-ray" : "Input 1 · Laptop"));
        QStringList settings = line->SettingsSince(before);
        std::sort(settings.begin(), settings.end());
        EXPECT_EQ(std::adjacent_find(settings.begin(), settings.end()), settings.end())
            << settings.join(" | ").toStdString();
        for (const QString& frame : settings) {
            EXPECT_TRUE(frame.mid(3, 2) == "01" || frame.mid(3, 2) == "02") << frame.toStdString();
        }
    }

    // A volume dragged through 16 values at once: at most one frame per
    // 100 ms, and the last value is the one on the line.
    const qsizetype before = line->requestCount();
    web.Run("const s = document.querySelector('#output-1 ~ .audio .level-volume');"
            "for (let v = 10; v <= 40; v += 2) { s.value = v; "
            "s.dispatchEvent(new Event('input', {bubbles: true})); }"
            "s.dispatchEvent(new Event('change', {bubbles: true}));");
    ASSERT_TRUE(WaitFor(
        [&] {
            const QStringList s = line->SettingsSince(before);
            return !s.isEmpty() && s.back().mid(3, 2) == "12" && s.back().mid(9, 2) == "28";
        },
        5s))
        << line->SettingsSince(before).join(" | ").toStdString();
    EXPECT_LE(line->SettingsSince(before).size(), 2) << line->SettingsSince(before).size();

    // The staff's scene, from its button.
    const qsizetype beforeScene = line->requestCount();
    ASSERT_TRUE(web.Click("#scenes .scene"));
    ASSERT_TRUE(WaitForText(web, "#status", "Scene Evening recalled"))
        << Text(web, "#status").toStdString();
    EXPECT_FALSE(line->SettingsSince(beforeScene).isEmpty());
    EXPECT_TRUE(WaitForText(web, "#output-1 .source", "Input 4"));

    // A route made in the window shows on the page without a reload, timed
    // from its frame on the line to the page's change.
    web.Run("window.shown = 0; const s = document.querySelector('#output-1 .source');"
            "new MutationObserver(() => { if (s.textContent.includes('Input 3')) "
            "window.shown = window.shown || Date.now(); })"
            ".observe(s, {childList: true, characterData: true, subtree: true});");
    const qsizetype beforeWindow = line->requestCount();
    quadrel::SwitchView* grid = line->program().switchView();
    const std::optional<int> cell = grid->CellShowing(3, 1);
    ASSERT_TRUE(cell.has_value());
    const qint64 clicked = QDateTime::currentMSecsSinceEpoch();
    QTest::mouseClick(grid->grid().cell(*cell), Qt::LeftButton);
    ASSERT_GT(line->WaitForSetting(beforeWindow, quadrel::kCmdSetVideoSwitch, 20s), 0);
    ASSERT_TRUE(WaitFor([&] { return web.Run("return window.shown;").toDouble() > 0; }, 5s));
    // From the click, so the time on the line is counted too.
    const qint64 shown = static_cast<qint64>(web.Run("return window.shown;").toDouble()) - clicked;
    EXPECT_LE(shown, 200) << shown << " ms";

    web.Viewport(1280, 800, false);
    Keep(web, "web-tablet.png");
    web.Viewport(390, 844, true);
    Keep(web, "web-phone.png");

    // Logged out, the technician sees every output and every level.
    ASSERT_TRUE(web.Click("#logout"));
    ASSERT_TRUE(WaitFor([&] { return !web.Find("#login:not([hidden]) #secret").isEmpty(); }, 5s));
    ASSERT_TRUE(web.Type("#secret", PanelOnLine::kPassword));
    ASSERT_TRUE(web.Click("#login-button"));
    ASSERT_TRUE(WaitFor([&] { return !web.Find("#output-3").isEmpty(); }, 15s));
    EXPECT_FALSE(web.Find("#output-3 ~ .more .level-bass").isEmpty());
    EXPECT_TRUE(Text(web, "#scenes").contains("Service"));
    Keep(web, "web-technician.png");

    // The line lost under the owner is said plainly.
    line->sim().Stop();
    EXPECT_TRUE(WaitForText(web, "#status", "Line lost")) << Text(web, "#status").toStdString();

    EXPECT_TRUE(Errors(web).isEmpty()) << Errors(web).join("\n").toStdString();
}

} // namespace
