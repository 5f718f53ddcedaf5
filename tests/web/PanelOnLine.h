#pragma once

// The window, in this process, owning the emulator's line with its API on a
// free loopback port, a staff PIN, names and scenes: what the web panel is
// served with, and a window the operator can route from.
#include "../e2e/ProgramOnSim.h"
#include "../e2e/Stamped.h"
#include "app/CrosspointCell.h"
#include "app/basMain.h"
#include "link/CommandCodes.h"
#include "model/NamesStore.h"
#include "model/RolesFile.h"
#include "model/SceneStore.h"
#include "remote/NetworkDoors.h"
#include "service/PasswordDigest.h"

#include <QDateTime>

namespace quadrel::test {

class PanelOnLine {
public:
    static constexpr int kLine = 171;
    static constexpr const char* kPin = "2468";
    static constexpr const char* kPassword = "desk-technician-7";

    // Empty when all is up; otherwise what failed.
    QString Start() {
        apiPort_ = FreePort();
        // The API's door, opened by the window from its settings.
        if (!sim_.WriteSettings(
                kLine, 19200,
                QStringLiteral("[NETWORK]\nAPI=true\nAPI%20PORT=%1\n").arg(apiPort_))) {
            return "no temporary folders";
        }
        const QString folder = sim_.configDir() + "/Quadrel/";
        RolesConfig roles;
        roles.password = service::PasswordDigest::Make(kPassword);
        roles.staffPin = service::PasswordDigest::Make(kPin);
        roles.staff.outputs[0] = {1, 2};
        roles.staff.scenes = {"Evening"};
        QString error;
        if (!RolesFile::Save(folder + "roles.json", roles, error)) {
            return "roles: " + error;
        }
        const UnitReport stage{0, "Stage", 4, 3, kLine};
        NamesStore names(folder + "names.json");
        names.Load();
        UnitNames given;
        given.unit = "Stage";
        given.inputs = {{1, "Laptop"}, {3, "Blu-ray"}};
        given.outputs = {{1, "Lobby"}, {2, "Hall"}, {3, "Booth"}};
        SceneStore scenes(folder + "scenes.json");
        scenes.Load();
        Scene evening{"Evening", {}, {SceneUnit{0, "Stage", 4, 3, std::nullopt, {}}}};
        evening.units[0].values.outputs[1] = {4, 4, 0, 30, {}, {}, {}, {}};
        Scene service{"Service", {}, {SceneUnit{0, "Stage", 4, 3, std::nullopt, {}}}};
        service.units[0].values.outputs[3] = {1, 1, {}, {}, {}, {}, {}, {}};
        if (!names.SetNames(stage, given) || !scenes.Save(evening) || !scenes.Save(service)) {
            return "names or scenes not written";
        }
        if (!sim_.Start(kLine, {"--baud", "19200", "--unit",
                                "id=0,name=Stage,inputs=4,outputs=3,memories=2"})) {
            return "the emulator did not start";
        }
        // The program's own folders, as the window finds them when it runs alone:
        // the network doors read the names, scenes and tokens there.
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
            qputenv(name, sim_.env().value(QString::fromLatin1(name)).toLocal8Bit());
        }
        program_ = std::make_unique<ProgramOnSim>(sim_);
        if (!program_->StartAndStopScan()) {
            return "the window did not start and read the unit";
        }
        if ((*program_)->doors() == nullptr || !(*program_)->doors()->api().listening()) {
            return "the window's API is not on";
        }
        return {};
    }
    ~PanelOnLine() {
        program_.reset();
        sim_.Stop();
    }

    QString origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(apiPort_); }
    QString url(const QString& path = "/") const { return origin() + path; }
    SimProcess& sim() { return sim_; }
    basMain& program() { return **program_; }

    QStringList SettingsSince(qsizetype from) { return sim_.SettingsSince(from); }
    // Waits for a setting with `code` after `from`; the wall-clock time it
    // was seen, or 0.
    qint64 WaitForSetting(qsizetype from, uint8_t code, std::chrono::milliseconds limit) {
        qint64 seen = 0;
        WaitFor(
            [&] {
                sim_.process().waitForReadyRead(5);
                for (const QString& frame : SettingsSince(from)) {
                    if (frame.mid(3, 2).toInt(nullptr, 16) == code) {
                        seen = QDateTime::currentMSecsSinceEpoch();
                        return true;
                    }
                }
                return false;
            },
            limit);
        return seen;
    }
    qsizetype requestCount() { return sim_.Requests().size(); }

private:
    SimProcess sim_;
    std::unique_ptr<ProgramOnSim> program_;
    int apiPort_ = 0;
};

} // namespace quadrel::test
