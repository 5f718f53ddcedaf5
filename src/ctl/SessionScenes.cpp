// scene list, show and recall: the scenes file on this PC and the same
// recall job as the window's Scenes menu, on a free port or the owner's core.
#include "ctl/Report.h"
#include "ctl/Session.h"
#include "model/SceneJob.h"
#include "model/SceneStore.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QTimer>

#include <utility>

namespace quadrel::ctl {

namespace {

using K = CtlCommand::Kind;

// The recall's frames are answered or given up within a second each; a line
// with nothing on it for this long has stalled.
constexpr qint64 kRecallStallMs = 5000;

QString Hex(int id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

QJsonArray Described(const std::vector<Difference>& values) {
    QJsonArray out;
    for (const Difference& d : values) {
        out.append(Describe(d));
    }
    return out;
}

const char* StateName(SceneUnitReport::State state) {
    switch (state) {
    case SceneUnitReport::State::Complete:
        return "complete";
    case SceneUnitReport::State::Partial:
        return "partial";
    case SceneUnitReport::State::NotOnLine:
        return "not on the line";
    case SceneUnitReport::State::Silent:
        return "silent";
    case SceneUnitReport::State::Cancelled:
        return "cancelled";
    case SceneUnitReport::State::NotReached:
        return "not reached";
    }
    return "";
}

// What a scene sets, as lines: the unit, then each value.
QJsonObject Shown(const Scene& scene) {
    QJsonArray units;
    QJsonArray lines{
        QStringLiteral("scene %1%2")
            .arg(scene.name, scene.shortcut.isEmpty()
                                 ? QString()
                                 : QStringLiteral(" (") + scene.shortcut + QLatin1Char(')'))};
    for (const SceneUnit& u : scene.units) {
        QJsonArray sets;
        for (const Difference& d : Differences(UnitValues{}, u.values, 0)) {
            sets.append(QStringLiteral("%1 %2: %3")
                            .arg(Where(d), FieldName(d.field), ValueText(d.field, d.file)));
        }
        QJsonObject unit{{"id", u.id},
                         {"name", u.name},
                         {"inputs", u.inputs},
                         {"outputs", u.outputs},
                         {"sets", sets}};
        lines.append(
            QStringLiteral("unit %1 \"%2\" %3 in %4 out%5")
                .arg(Hex(u.id), u.name)
                .arg(u.inputs)
                .arg(u.outputs)
                .arg(u.preset ? QStringLiteral(", preset %1 first").arg(*u.preset) : QString()));
        if (u.preset) {
            unit.insert("preset", *u.preset);
        }
        for (const QJsonValue& v : sets) {
            lines.append(QStringLiteral("  ") + v.toString());
        }
        units.append(unit);
    }
    return {{"scene", scene.name},
            {"shortcut", scene.shortcut},
            {"sceneUnits", units},
            {"lines", lines}};
}

} // namespace

Session::Outcome Session::Scenes() {
    SceneStore store(SceneStore::DefaultFileName());
    store.Load();
    if (!store.problem().isEmpty()) {
        return {ExitStatus::BadFile, store.problem(), {}};
    }
    if (command_.kind == K::SceneShow) {
        const Scene* scene = store.Find(command_.scene);
        if (scene == nullptr) {
            return {ExitStatus::NoSuchScene,
                    QStringLiteral("there is no scene \"%1\" in %2")
                        .arg(command_.scene, store.fileName()),
                    {}};
        }
        return {ExitStatus::Done, {}, Shown(*scene)};
    }
    QJsonArray scenes, lines;
    for (const Scene& s : store.scenes()) {
        QJsonArray ids;
        QStringList hex;
        for (const SceneUnit& u : s.units) {
            ids.append(u.id);
            hex << Hex(u.id);
        }
        scenes.append(QJsonObject{{"name", s.name}, {"shortcut", s.shortcut}, {"ids", ids}});
        lines.append(
            QStringLiteral("%1\tunits %2%3")
                .arg(s.name, hex.join(QLatin1Char(',')),
                     s.shortcut.isEmpty() ? QString() : QStringLiteral("\t") + s.shortcut));
    }
    return {ExitStatus::Done, {}, QJsonObject{{"scenes", scenes}, {"lines", lines}}};
}

Session::Outcome Session::FindScene() {
    SceneStore store(SceneStore::DefaultFileName());
    store.Load();
    if (!store.problem().isEmpty()) {
        return {ExitStatus::BadFile, store.problem() + QStringLiteral(" Nothing was sent."), {}};
    }
    const Scene* scene = store.Find(command_.scene);
    if (scene == nullptr) {
        return {ExitStatus::NoSuchScene,
                QStringLiteral("there is no scene \"%1\" in %2; nothing was sent")
                    .arg(command_.scene, store.fileName()),
                {}};
    }
    scene_ = *scene;
    return {};
}

Session::Outcome Session::RecallScene() {
    // Every unit of the scene must be known with its abilities before its
    // values are checked: asked once each, as scan does.
    for (const SceneUnit& u : scene_.units) {
        if (!IsUnitConnected(core_.model.FindUnit(u.id))) {
            core_.link.senders.CmdGetUnitInfo(u.id, 0, 1);
        }
    }
    if (!WaitIdle()) {
        return LineFailure();
    }
    // The first unit found is read in full; the others tell their abilities
    // too. The owner's scan has asked them already.
    for (const SceneUnit& u : scene_.units) {
        const UnitRef unit = core_.model.FindUnit(u.id);
        if (!onOwner() && IsUnitConnected(unit) && unit->blExtendedInfoExist() &&
            unit != core_.model.objSelectedUnit) {
            core_.link.senders.CmdGetUnitInfo(u.id, 1, 1);
        }
    }
    if (!WaitIdle()) {
        return LineFailure();
    }
    // On a free port the first unit found was selected and read in full just
    // now; when the job selects it first, it takes that read instead of
    // making the same one again.
    bool freshRead = !onOwner() && ReadThrough(core_.model.objSelectedUnit);
    SceneJob job(core_, timers_, [this, &freshRead](const UnitRef& unit) {
        if (onOwner()) {
            select_(unit);
        } else if (!std::exchange(freshRead, false) || !ReadThrough(unit)) {
            core_.SelectUnit(unit);
        }
    });
    job.setOnProgress([this](const SceneProgress& p) {
        sinceActivity_.restart();
        console_.Progress(p.total == 0 ? QStringLiteral("unit %1 (%2 of %3): reading")
                                             .arg(Hex(p.id))
                                             .arg(p.unit + 1)
                                             .arg(p.units)
                                       : QStringLiteral("unit %1 (%2 of %3): sent %4 of %5")
                                             .arg(Hex(p.id))
                                             .arg(p.unit + 1)
                                             .arg(p.units)
                                             .arg(p.done)
                                             .arg(p.total));
    });
    std::optional<SceneReport> report;
    job.Recall(scene_, [&report](const SceneReport& r) { report = r; });
    // A signal cancels the recall, which still ends as it must: the unit
    // being set is read back before the port is let go. A second signal, or
    // a line with nothing on it, stops the wait at once.
    if (!report) {
        QEventLoop loop;
        QTimer check;
        check.setInterval(5);
        bool cancelled = false;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            const TransmitQueue& q = core_.link.queue;
            const std::tuple<uint32_t, int, bool> line{q.currentTag(), q.iSendQueueCount(),
                                                       q.IsWaitingForAnswer()};
            if (line != lineSeen_) {
                lineSeen_ = line;
                sinceActivity_.restart();
            }
            if (interrupted_ && !cancelled) {
                cancelled = true;
                job.Cancel();
            }
            if (!stalled_ && !report && sinceActivity_.elapsed() > kRecallStallMs) {
                stalled_ = true;
            }
            if (report || interruptions_ > 1 || stalled_) {
                loop.quit();
            }
        });
        check.start();
        loop.exec();
    }
    if (!report) {
        return LineFailure();
    }
    const SceneReport& r = *report;
    QJsonArray units;
    for (const SceneUnitReport& u : r.units) {
        units.append(QJsonObject{{"id", u.id},
                                 {"name", u.name},
                                 {"state", QLatin1String(StateName(u.state))},
                                 {"presetLoaded", u.presetLoaded},
                                 {"leftOut", QJsonArray::fromStringList(u.leftOut)},
                                 {"sentValues", Described(u.sent)},
                                 {"notTaken", Described(u.notTaken)},
                                 {"unknown", Described(u.unknown)}});
    }
    Outcome out;
    out.result = QJsonObject{{"scene", r.scene},
                             {"sent", r.sent},
                             {"planned", r.planned},
                             {"sceneUnits", units},
                             {"lines", QJsonArray::fromStringList(r.Lines())}};
    switch (r.ending) {
    case SceneReport::Ending::Done:
        return out;
    case SceneReport::Ending::Partial:
        out.status = ExitStatus::Partial;
        break;
    case SceneReport::Ending::Cancelled:
        out.status = ExitStatus::NotTaken;
        break;
    case SceneReport::Ending::PortLost:
        out.status = ExitStatus::PortFailed;
        break;
    case SceneReport::Ending::Refused:
        out.status = r.outOfRange ? ExitStatus::OutOfRange : ExitStatus::NotTaken;
        break;
    }
    out.message = r.message;
    return out;
}

} // namespace quadrel::ctl
