#pragma once

// quadrel-ctl as shipped, run by a test against quadrel-sim, and what it
// wrote to the line while it ran, from the emulator's trace.
#include "SimProcess.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace quadrel::test {

struct CtlRun {
    int status = -1; // -1: it did not end by itself
    QString out, err;
    QStringList requests; // written to the line during the run
    QStringList settings; // of them, the changes
    qint64 ms = 0;
    QJsonObject json; // what it printed, with --json; its status is the run's

    // The value at a path in `json`, as text; "#" counts an array.
    QString At(const QString& path) const {
        QJsonValue v = json;
        for (const QString& key : path.split('/', Qt::SkipEmptyParts)) {
            if (key == QLatin1String("#")) {
                return QString::number(v.toArray().size());
            }
            v = v.isArray() ? v.toArray().at(key.toInt()) : v.toObject().value(key);
        }
        return v.toVariant().toString();
    }
};

// One run, started at once; several may run side by side.
class CtlProcess {
public:
    CtlProcess(SimProcess& sim, const QProcessEnvironment& env, const QStringList& args)
        : sim_(sim), before_(sim.Requests().size()) {
        ctl_.setProcessEnvironment(env);
        clock_.start();
        ctl_.start(QStringLiteral(QUADREL_CTL_PATH), args);
    }
    QProcess& process() { return ctl_; }

    CtlRun Finish() {
        CtlRun r;
        EXPECT_TRUE(ctl_.waitForFinished(40000)) << ctl_.arguments().join(' ').toStdString();
        r.ms = clock_.elapsed();
        r.status = ctl_.exitStatus() == QProcess::NormalExit ? ctl_.exitCode() : -1;
        r.out = QString::fromUtf8(ctl_.readAllStandardOutput());
        r.err = QString::fromUtf8(ctl_.readAllStandardError());
        if (ctl_.arguments().contains(QStringLiteral("--json"))) {
            QJsonParseError error;
            r.json = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
            EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
            EXPECT_EQ(r.json[QStringLiteral("status")].toInt(), r.status);
        }
        r.requests = sim_.Requests().mid(before_);
        r.settings = sim_.SettingsSince(before_);
        return r;
    }

private:
    SimProcess& sim_;
    const qsizetype before_;
    QProcess ctl_;
    QElapsedTimer clock_;
};

} // namespace quadrel::test
