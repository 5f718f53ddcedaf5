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

// A job's frames are answered or given up within a second; a line with
// nothing on it for this long has stalled.
constexpr qint64 kJobStallMs = 5000;

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
    // Runs until the job has told its outcome. A signal cancels it, and the
    // job still ends as it must: a preset's values on the live outputs are
    // put back and the unit read back before the port is let go. A second
    // signal, or a line with nothing on it, stops the wait at once.
    const auto wait = [this, &result, &job] {
        QEventLoop loop;
        QTimer check;
        check.setInterval(5);
        bool cancelled = false;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (interrupted_ && !cancelled) {
                cancelled = true;
                job.Cancel();
            }
            if (!stalled_ && !result && sinceActivity_.elapsed() > kJobStallMs) {
                stalled_ = true;
            }
            if (result || interruptions_ > 1 || stalled_) {
                loop.quit();
            }
        });
        check.start();
        loop.exec();
        return result.has_value();
    };
    const auto ended = [](const UnitSettingsJob::Outcome& o) {
        switch (o.ending) {
        case UnitSettingsJob::Ending::Done:
            return o.ok ? ExitStatus::Done : ExitStatus::NotTaken;
        case UnitSettingsJob::Ending::Cancelled:
            return ExitStatus::NotTaken;
        case UnitSettingsJob::Ending::PortLost:
            return ExitStatus::PortFailed;
        case UnitSettingsJob::Ending::UnitSilent:
            return ExitStatus::NotAnswering;
        case UnitSettingsJob::Ending::Refused:
            break;
        }
        return ExitStatus::BadFile;
    };
    const auto done = [&result](const UnitSettingsJob::Outcome& o) { result = o; };
    const UnitRef unit = core_.model.FindUnit(id);
    out.result.insert("unit", Report::Unit(*unit));
    out.result.insert("file", command_.file);
    // The names kept for the unit on this PC go into the file, and come back
    // from it on request.
    NamesStore names(NamesStore::DefaultFileName());
    names.Load();
    const UnitReport report = UnitReport::Of(*unit, portNumber_);

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
            return {interrupted_ ? ExitStatus::NotTaken : ended(*result), result->message, {}};
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
        return {interrupted_ ? ExitStatus::NotTaken : ended(*result), result->message, {}};
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
    // What was sent, what the read back confirmed, and what no read back
    // could tell: the caller learns it whatever ended the restore.
    const UnitSettingsJob::Outcome& r = *result;
    out.result.insert("sent", r.sent);
    out.result.insert("planned", r.planned);
    out.result.insert("sentValues", Described(r.sentChanges));
    out.result.insert("confirmed", Described(r.confirmed));
    out.result.insert("notTaken", Described(r.notTaken));
    out.result.insert("unknown", Described(r.unknown));
    out.result.insert("readBack", r.readBack);
    out.result.insert("cancelled", r.cancelled);
    out.result.insert("putBack", r.putBack);
    out.result.insert("report", r.message);
    out.status = ended(r);
    if (out.status != ExitStatus::Done) {
        out.message = QStringLiteral("unit %1: %2").arg(id).arg(r.message);
    }
    return out;
}

} // namespace quadrel::ctl
