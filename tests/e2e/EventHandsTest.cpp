// The window as the line's owner with its API turned on: the operator routes
// an output by a click on a crosspoint and mutes another by a click on its
// speaker, through xdotool on the test's virtual display, and a client of the event stream hears
// each change within 50 ms of the unit's read-back, at a slow unit's latency, which sets the
// read-back apart from the acknowledgement. The stream's client lives in
// the test's event loop, which the window shares: an event is stamped as
// soon as the window has written it.
#include "ProgramOnSim.h"
#include "Stamped.h"
#include "XHands.h"
#include "app/CrosspointCell.h"
#include "app/SwitchGrid.h"
#include "app/SwitchView.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "control/AudioOutputPanel.h"
#include "control/AudioPage.h"
#include "model/TokenFile.h"
#include "remote/NetworkDoors.h"

#include <QApplication>
#include <QPushButton>
#include <QTabBar>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;
using namespace quadrel::test;

namespace {

constexpr int kPort = 174;

// The emulator's latency from a request to its answer, in ms.
constexpr int kLatency = 30;

TEST(EventHands, ChangesMadeInTheWindowAreHeardOnTheEventStream) {
    SimProcess sim;
    const quint16 api = FreePort();
    ASSERT_TRUE(sim.WriteSettings(kPort, 19200,
                                  QStringLiteral("[NETWORK]\nAPI=true\nAPI%20PORT=%1\n").arg(api)));
    QString tech, error;
    TokenRecord made;
    ASSERT_TRUE(TokenFile(sim.configDir() + "/Quadrel/tokens.json")
                    .Create("tech", Role::Technician, tech, made, error))
        << error.toStdString();
    ASSERT_TRUE(sim.Start(kPort, {"--baud", "19200", "--latency", QString::number(kLatency),
                                  "--unit", "id=0,name=Stage,inputs=8,outputs=4"}));
    ProgramOnSim rig(sim);
    basMain& program = *rig;
    program.DrawAfterFrames(1ms); // as main() has it
    // The unit read whole, so that the events say what changed; the rest of the line is empty.
    ASSERT_TRUE(rig.StartAndStopScan());
    QuadrelCore& core = rig.core();
    frmMain* window = program.mainWindow();
    ASSERT_TRUE(program.doors()->api().listening());
    window->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == window; }, 5s));

    QElapsedTimer clock;
    clock.start();
    StampedTrace heard(sim, clock);
    StampedEvents events(clock);
    ASSERT_TRUE(events.Subscribe(api, tech, 5s));
    // Each change: its frames on the line once each, and the event that
    // names it within 50 ms of the last one's acknowledgement, plus the
    // unit's latency for the read-back that follows it: the views, and so
    // the events, show what the unit reported, never what was sent. From
    // the read-back's answer, the window's own part, within 50 ms.
    const auto check = [&](size_t from, const QStringList& frames, const QString& query,
                           const auto& names) {
        ASSERT_TRUE(WaitFor([&] { return events.FirstAt(names) >= 0; }, 10s));
        const qint64 eventAt = events.FirstAt(names);
        const QStringList settings = heard.SettingsSince(from);
        QStringList expected;
        for (const QString& f : frames) {
            expected << "in " + f;
        }
        EXPECT_EQ(settings, expected);
        const qint64 acknowledged = heard.AnsweredAt(expected.last(), from);
        const qint64 readBack = heard.AnsweredAt("in " + query, from);
        ASSERT_GE(acknowledged, 0);
        ASSERT_GE(readBack, acknowledged);
        EXPECT_LT(eventAt - acknowledged, 50 + kLatency) << eventAt - acknowledged << " ms";
        EXPECT_LT(eventAt - readBack, 50) << eventAt - readBack << " ms";
    };

    // A click on the crosspoint of an input not yet on output 2.
    SwitchView* sw = program.switchView();
    const int input = core.model.AudioOutputs[2].iInputPort == 3 ? 5 : 3;
    size_t from = heard.size();
    ASSERT_TRUE(Hands(At(sw->grid().cell(*sw->CellShowing(input, 2)))));
    check(from,
          {SimProcess::Frame(0, kCmdSetAudioSwitch, 2, static_cast<uint8_t>(input)),
           SimProcess::Frame(0, kCmdSetVideoSwitch, 2, static_cast<uint8_t>(input))},
          SimProcess::Frame(0, kCmdGetVideoSwitch, 2, 0), [input](const QJsonObject& e) {
              const QJsonValue o = e["output"];
              return e["event"].toString() == "output" && o["output"].toInt() == 2 &&
                     o["audioInput"].toInt() == input && o["videoInput"].toInt() == input;
          });

    // A click on output 1's speaker, on the Audio page.
    QTabBar* tabs = window->TabStrip1();
    ASSERT_TRUE(Hands(At(tabs, tabs->tabRect(1).center())));
    ASSERT_TRUE(WaitFor([&] { return tabs->currentIndex() == 1; }, 5s));
    QWidget* speaker = program.audioPage()->picAudioOutput(0)->imgMute();
    ASSERT_TRUE(WaitFor([&] { return speaker->isVisible(); }, 5s));
    const bool muted = core.model.AudioOutputs[1].lMuteStatus == 1;
    from = heard.size();
    ASSERT_TRUE(Hands(At(speaker)));
    check(from, {SimProcess::Frame(0, kCmdSetMute, 1, muted ? 0 : 1)},
          SimProcess::Frame(0, kCmdGetMute, 0, 0), [muted](const QJsonObject& e) {
              return e["event"].toString() == "output" && e["output"]["output"].toInt() == 1 &&
                     e["output"]["mute"].toBool() == !muted;
          });
    EXPECT_TRUE(rig.messages().texts.isEmpty()) << rig.messages().texts.join('\n').toStdString();
}

} // namespace
