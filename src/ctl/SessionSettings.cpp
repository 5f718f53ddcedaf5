// save and restore: the unit settings file through the same job as the
// window's "Save unit settings…" and "Restore unit settings…". A script has
// no one to confirm the differences: restore sends them at once.
#include "ctl/Report.h"
#include "ctl/Session.h"
#include "model/NamesStore.h"
#include "model/UnitSettingsJob.h"

#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QTimer>

namespace quadrel::ctl {

namespace {

QJsonArray Described(const std::vector<Difference>& values) {
    QJsonArray out;
    for (const Difference& d : values) {
        out.append(Describe(d));
    }
    return out;
}

} // namespace

Session::Outcome Session::Settings() {
    const auto id = static_cast<uint8_t>(command_.id);
    Outcome out = ReadUnit(id);
    if (out.status != ExitStatus::Done) {
        return out;
    }
    UnitSettingsJob job(core_, timers_);
    job.setOnProgress([this](int done, int total) {
        console_.Progress(QStringLiteral("sent %1 of %2 changes").arg(done).arg(total));
    });
    std::optional<UnitSettingsJob::Outcome> result;
    const auto wait = [this, &result] {
        QEventLoop loop;
        QTimer check;
        check.setInterval(5);
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (result || interrupted_ || portLost_) {
                loop.quit();
            }
        });
        check.start();
        loop.exec();
        return result.has_value() && !interrupted_;
    };
    const auto failed = [](const UnitSettingsJob::Outcome& o) {
        if (o.message.startsWith(QLatin1String("the port"))) {
            return Outcome{ExitStatus::PortFailed, o.message, {}};
        }
        if (o.message.endsWith(QLatin1String("stopped answering"))) {
            return Outcome{ExitStatus::NotAnswering, o.message, {}};
        }
        return Outcome{ExitStatus::BadFile, o.message, {}};
    };
    const auto done = [&result](const UnitSettingsJob::Outcome& o) { result = o; };
    const UnitRef unit = core_.model.FindUnit(id);
    out.result.insert("unit", Report::Unit(*unit));
    out.result.insert("file", command_.file);
    // The names kept for the unit on this PC go into the file, and come back
    // from it on request.
    NamesStore names(NamesStore::DefaultFileName());
    names.Load();
    const UnitReport report = UnitReport::Of(*unit, port_.portNumber());

    if (command_.kind == CtlCommand::Kind::Save) {
        console_.Progress(
            QStringLiteral("reading unit %1%2")
                .arg(id)
                .arg(command_.presets ? QStringLiteral(" and its presets") : QString()));
        job.Save(command_.file, command_.presets,
                 names.Exact(report) ? *names.Exact(report) : UnitNames{},
                 QDateTime::currentDateTimeUtc().toString(Qt::ISODate), done);
        if (!wait()) {
            return LineFailure();
        }
        if (!result->ok) {
            return failed(*result);
        }
        out.result.insert(
            "presets", result->file.presets ? static_cast<int>(result->file.presets->size()) : 0);
        return out;
    }

    console_.Progress(QStringLiteral("reading %1 and unit %2").arg(command_.file).arg(id));
    job.Prepare(command_.file, command_.presets, done);
    if (!wait()) {
        return LineFailure();
    }
    if (!result->ok) {
        return failed(*result);
    }
    for (const QString& note : result->notes) {
        console_.Progress(QStringLiteral("note: %1").arg(note));
    }
    const UnitSettingsJob::Outcome prepared = *result;
    result.reset();
    out.result.insert("changes", Described(prepared.differences));
    QJsonArray named;
    const UnitNames kept = names.Exact(report) ? *names.Exact(report) : UnitNames{};
    for (const NameDifference& d : NameDifferences(kept, prepared.file.names)) {
        named.append(
            QStringLiteral("%1 name: \"%2\" \u2192 \"%3\"").arg(PortWords(d.port), d.now, d.file));
    }
    out.result.insert("names", named);
    if (command_.names && !names.SetNames(report, prepared.file.names)) {
        return Outcome{ExitStatus::BadFile, names.problem(), out.result};
    }
    job.Restore(prepared, done);
    if (!wait()) {
        return LineFailure();
    }
    out.result.insert("sent", result->sent);
    out.result.insert("planned", result->planned);
    out.result.insert("notTaken", Described(result->notTaken));
    if (result->message.endsWith(QLatin1String("stopped answering")) ||
        result->message.startsWith(QLatin1String("the port"))) {
        Outcome lost = failed(*result);
        lost.result = out.result;
        return lost;
    }
    if (!result->ok) {
        out.status = ExitStatus::NotTaken;
        out.message = QStringLiteral("unit %1: %2").arg(id).arg(result->message);
    }
    return out;
}

} // namespace quadrel::ctl
