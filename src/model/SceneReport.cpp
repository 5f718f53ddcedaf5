#include "model/SceneReport.h"

namespace quadrel {

namespace {

QString Tr(const char* text, const char* comment = nullptr, int n = -1) {
    return QCoreApplication::translate("SceneReport", text, comment, n);
}

} // namespace

QString SceneUnitReport::Summary() const {
    //: a unit in a scene's report: %1 its ID in hex, %2 its name
    const QString unit =
        Tr("Unit %1 (%2)")
            .arg(QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper(), name);
    const int took = static_cast<int>(sent.size());
    QString what;
    switch (state) {
    case State::Complete:
        what = planned == 0 ? Tr("already as the scene sets it; nothing sent")
                            : Tr("%n value(s) set, the unit took every one", nullptr, planned);
        break;
    case State::Partial:
        what = notTaken.empty() ? Tr("%n value(s) set; some of the scene left out", nullptr, took)
                                //: %1: a count of values, as "3 values"
                                : Tr("%1 of %2 values set; %n not taken", nullptr,
                                     static_cast<int>(notTaken.size()))
                                      .arg(took)
                                      .arg(planned);
        break;
    case State::NotOnLine:
        what = Tr("not on the line; nothing sent");
        break;
    case State::Silent:
        what = Tr("stopped answering; %1 of %2 values sent").arg(took).arg(planned);
        break;
    case State::Cancelled:
        what = planned == 0 && took == 0
                   ? Tr("cancelled before its turn; left as it was")
                   : Tr("cancelled; %1 of %2 values sent").arg(took).arg(planned);
        break;
    case State::NotReached:
        what = took == 0 ? Tr("not reached: the port closed; left as it was")
                         : Tr("the port closed; %1 of %2 values sent").arg(took).arg(planned);
        break;
    }
    //: %1: the unit; %2: what the recall did to it
    return Tr("%1: %2").arg(unit, what);
}

QStringList SceneUnitReport::Lines() const {
    QStringList out{Summary()};
    for (const QString& line : leftOut) {
        //: a line of a scene's report under its unit
        out << Tr("  left out: %1").arg(line);
    }
    for (const Difference& d : notTaken) {
        out << Tr("  not on the unit: %1").arg(Describe(d));
    }
    for (const Difference& d : unknown) {
        out << Tr("  not known (no read back): %1").arg(Describe(d));
    }
    return out;
}

QString SceneReport::Headline() const {
    int complete = 0;
    for (const SceneUnitReport& u : units) {
        complete += u.state == SceneUnitReport::State::Complete ? 1 : 0;
    }
    const QString of =
        tr("%1 of %n unit(s) complete, %2 values sent", nullptr, static_cast<int>(units.size()))
            .arg(complete)
            .arg(sent);
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
