#include "model/SceneReport.h"

namespace quadrel {

QString SceneUnitReport::Summary() const {
    //: a unit in a scene's report: %1 its ID in hex, %2 its name
    const QString unit =
        QCoreApplication::translate("SceneReport", "Unit %1 (%2)")
            .arg(QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper(), name);
    const int took = static_cast<int>(sent.size());
    QString what;
    switch (state) {
    case State::Complete:
        what = planned == 0 ? QCoreApplication::translate(
                                  "SceneReport", "already as the scene sets it; nothing sent")
                            : QCoreApplication::translate("SceneReport",
                                                          "values set: %1; the unit took every one")
                                  .arg(planned);
        break;
    case State::Partial:
        what =
            notTaken.empty()
                ? QCoreApplication::translate("SceneReport",
                                              "values set: %1; some of the scene left out")
                      .arg(took)
                //: %1, %2, %3: counts of values
                : QCoreApplication::translate("SceneReport", "values set: %1 of %2; not taken: %3")
                      .arg(took)
                      .arg(planned)
                      .arg(notTaken.size());
        break;
    case State::NotOnLine:
        what = QCoreApplication::translate("SceneReport", "not on the line; nothing sent");
        break;
    case State::Silent:
        what = QCoreApplication::translate("SceneReport", "stopped answering; %1 of %2 values sent")
                   .arg(took)
                   .arg(planned);
        break;
    case State::Cancelled:
        what = planned == 0 && took == 0 && presetLoaded
                   ? QCoreApplication::translate(
                         "SceneReport", "cancelled once its preset was loaded; no value sent")
               : planned == 0 && took == 0
                   ? QCoreApplication::translate("SceneReport",
                                                 "cancelled before its turn; left as it was")
                   : QCoreApplication::translate("SceneReport", "cancelled; %1 of %2 values sent")
                         .arg(took)
                         .arg(planned);
        break;
    case State::NotReached:
        what = took == 0 ? QCoreApplication::translate(
                               "SceneReport", "not reached: the port closed; left as it was")
                         : QCoreApplication::translate("SceneReport",
                                                       "the port closed; %1 of %2 values sent")
                               .arg(took)
                               .arg(planned);
        break;
    }
    //: %1: the unit; %2: what the recall did to it
    return QCoreApplication::translate("SceneReport", "%1: %2").arg(unit, what);
}

QStringList SceneUnitReport::Lines() const {
    QStringList out{Summary()};
    for (const QString& line : leftOut) {
        //: a line of a scene's report under its unit
        out << QCoreApplication::translate("SceneReport", "  left out: %1").arg(line);
    }
    for (const Difference& d : notTaken) {
        out << QCoreApplication::translate("SceneReport", "  not on the unit: %1").arg(Describe(d));
    }
    for (const Difference& d : unknown) {
        out << QCoreApplication::translate("SceneReport", "  not known (no read back): %1")
                   .arg(Describe(d));
    }
    return out;
}

QString SceneReport::Headline() const {
    int complete = 0;
    for (const SceneUnitReport& u : units) {
        complete += u.state == SceneUnitReport::State::Complete ? 1 : 0;
    }
    const QString of =
        //: %1, %3: counts of units; %2: a count of values
        tr("units complete: %1 of %3; values sent: %2")
            .arg(QString::number(complete), QString::number(sent), QString::number(units.size()));
    const QString what = way == Way::Undo   ? tr("Undo of scene “%1”").arg(scene)
                         : way == Way::Redo ? tr("Redo of scene “%1”").arg(scene)
                                            : tr("Scene “%1”").arg(scene);
    switch (ending) {
    case Ending::Done:
        //: %1: the scene's recall, its undo or redo; %2: counts
        return tr("%1 recalled: %2").arg(what, of);
    case Ending::Partial:
        return tr("%1 recalled in part: %2").arg(what, of);
    case Ending::Cancelled:
        return tr("%1 cancelled: %2").arg(what, of);
    case Ending::PortLost:
        return tr("%1 stopped, the port closed: %2").arg(what, of);
    case Ending::Refused:
        break;
    }
    return message;
}

QStringList SceneReport::Lines() const {
    QStringList out{message};
    for (const SceneUnitReport& u : units) {
        out << u.Lines();
    }
    return out;
}

} // namespace quadrel
