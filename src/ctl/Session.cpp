#include "ctl/Session.h"

#include "ctl/RangeCheck.h"
#include "ctl/Report.h"
#include "link/CommandCodes.h"
#include "link/PortOpening.h"
#include "link/qt/SignalWatcher.h"
#include "model/PortSettings.h"
#include "model/UnitSettingsFile.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QTimer>

#include <unistd.h>

namespace quadrel::ctl {

namespace {

using K = CtlCommand::Kind;

// Every request is answered or repeated within 300 ms, and given up after
// three tries; a line with nothing on it for this long has stalled.
constexpr qint64 kStallMs = 5000;
// Reads of the live state that show may make before it gives up on two
// that agree.
constexpr int kMostReads = 5;
constexpr int32_t kQuery = 1;

Session::Outcome Fail(ExitStatus status, const QString& message) {
    return {status, message, {}};
}

} // namespace

struct Session::Own {
    explicit Own(PortFolders folders) : comm(std::move(folders)), port(comm) {}
    basCOMM comm;
    QtSerialPort port;
    QtTimerFactory timers;
    CtlTrace trace;
    Console console;
    ViewsHub hub;
    QuadrelCore core{port, timers, trace, hub};
};

Session::Session(const CtlCommand& command, PortFolders folders, QString settingsFile)
    : command_(command), settingsFile_(std::move(settingsFile)),
      own_(std::make_unique<Own>(std::move(folders))), core_(own_->core), timers_(own_->timers),
      console_(own_->console) {
    own_->hub.setUnitPane(console_);
    own_->hub.setFrame(console_);
    // quadrel-ctl asks only what its command needs: no once-a-second poll.
    core_.status.timRequestStatus().stop();
    core_.setOnPortLost([this] { portLost_ = true; });
    own_->trace.setPrinting(command.trace);
    sinceActivity_.start();
    own_->trace.setOnFrame([this](bool sent, const Bytes& bytes) {
        sinceActivity_.restart();
        if (sent && bytes.size() >= 3 && bytes[1] == kCmdGetUnitInfo && bytes[2] == 0 &&
            command_.kind == K::Scan) {
            console_.Progress(QStringLiteral("probing ID %1").arg(bytes[0] & 0x1F));
        }
    });
}

Session::Session(const CtlCommand& command, OwnerLine owner)
    : command_(command), ownerPortOpen_(std::move(owner.portOpen)),
      select_(std::move(owner.select)), portNumber_(owner.portNumber), core_(owner.core),
      timers_(owner.timers), console_(owner.console) {
    sinceActivity_.start();
}

Session::~Session() = default;

bool Session::PortOpen() const {
    return own_ ? own_->port.isOpen() : ownerPortOpen_ && ownerPortOpen_();
}

void Session::Interrupt() {
    interrupted_ = true;
    ++interruptions_;
}

Session::Outcome Session::OpenPort() {
    basCOMM& comm = own_->comm;
    QtSerialPort& port = own_->port;
    const PortSettings::Values stored = PortSettings(settingsFile_).Read();
    // A file that is there but gives nothing is not "no port set": the
    // desktop program's choice exists and would be missed.
    if (!stored.problem.isEmpty() && (!command_.port || !command_.baud)) {
        return Fail(ExitStatus::BadFile,
                    QStringLiteral("the settings file %1 %2: give --port and --baud, or choose "
                                   "them again in quadrel's options")
                        .arg(settingsFile_, stored.problem));
    }
    const int number = command_.port.value_or(stored.iPortNumber);
    comm.GetValidBaudRate();
    int baud = command_.baud.value_or(stored.lBaudRate);
    if (!comm.IsValidBaudRate(QString::number(baud))) {
        if (command_.baud) {
            return Fail(ExitStatus::Usage,
                        QStringLiteral("baud rate %1 is neither 9600 nor 19200").arg(baud));
        }
        baud = comm.BaudRateList().first().toInt();
    }
    if (number < 1 || number > basCOMM::kMaxPortNumber) {
        return Fail(ExitStatus::NoSuchPort,
                    command_.port ? QStringLiteral("port %1 is not 1 to 255").arg(number)
                                  : QStringLiteral("no port set: give --port or choose one in "
                                                   "quadrel's options"));
    }
    const QString device = comm.DevicePath(number);
    if (device.isEmpty() || !comm.EnumSerPorts(number)) {
        return Fail(ExitStatus::NoSuchPort, QStringLiteral("there is no port %1").arg(number));
    }
    if (!OpenCommPort(port, number, baud)) {
        // The same exclusive open as the desktop program.
        if (port.lastFailure() == QtSerialPort::OpenFailure::Held) {
            const QString holder = QtSerialPort::Holder(device);
            return Fail(
                ExitStatus::PortHeld,
                QStringLiteral("port %1 (%2) is held by %3")
                    .arg(number)
                    .arg(device, holder.isEmpty() ? QStringLiteral("another program") : holder));
        }
        return Fail(ExitStatus::PortFailed, QStringLiteral("port %1 (%2) will not open: %3")
                                                .arg(number)
                                                .arg(device, port.lastError()));
    }
    portNumber_ = number;
    return {};
}

bool Session::Idle() const {
    const TransmitQueue& q = core_.link.queue;
    return !q.IsWaitingForAnswer() && q.iSendQueueCount() == 0 && !q.IsSettling() &&
           !core_.status.IsBusy();
}

bool Session::WaitIdle() {
    auto done = [this] {
        // The owner's line has no trace of the run's own: what the queue
        // does shows that the line moves.
        const TransmitQueue& q = core_.link.queue;
        const std::tuple<uint32_t, int, bool> line{q.currentTag(), q.iSendQueueCount(),
                                                   q.IsWaitingForAnswer()};
        if (line != lineSeen_) {
            lineSeen_ = line;
            sinceActivity_.restart();
        }
        if (!stalled_ && !Idle() && sinceActivity_.elapsed() > kStallMs) {
            stalled_ = true;
        }
        return Idle() || portLost_ || stalled_ || interrupted_ || !PortOpen();
    };
    if (!done()) {
        QEventLoop loop;
        QTimer check;
        check.setInterval(5);
        QObject::connect(&check, &QTimer::timeout, &loop, [&loop, &done] {
            if (done()) {
                loop.quit();
            }
        });
        check.start();
        loop.exec();
    }
    return !portLost_ && !stalled_ && !interrupted_ && PortOpen();
}

Session::Outcome Session::LineFailure() const {
    if (interrupted_) {
        return Fail(ExitStatus::NotTaken, QStringLiteral("interrupted"));
    }
    if (stalled_) {
        return Fail(ExitStatus::NotAnswering, QStringLiteral("the line stalled"));
    }
    return Fail(ExitStatus::PortFailed, QStringLiteral("the port vanished while in use"));
}

bool Session::StillAnswering(uint8_t id) const {
    const UnitRef unit = core_.model.FindUnit(id);
    return IsUnitConnected(unit) && console_.givenUp().count(id) == 0;
}

bool Session::ReadThrough(const UnitRef& unit) const {
    return unit && core_.model.objSelectedUnit == unit && !core_.model.blLoadingStatus &&
           !core_.model.blLoadingMemory && core_.status.sweep().Missing(0).empty() &&
           StillAnswering(unit->bID());
}

Session::Outcome Session::ReadUnit(uint8_t id) {
    if (onOwner()) {
        // The owner keeps its selected unit read: a read of another is the
        // unit list's, and the window shows it.
        UnitRef unit = core_.model.FindUnit(id);
        if (!IsUnitConnected(unit)) {
            // Not found yet (the owner's scan has not come to it): asked
            // once, as on a free port, rather than said to be silent.
            core_.link.senders.CmdGetUnitInfo(id, 0, kQuery);
            if (!WaitIdle()) {
                return LineFailure();
            }
            unit = core_.model.FindUnit(id);
        }
        if (!IsUnitConnected(unit)) {
            return Fail(ExitStatus::NotAnswering,
                        QStringLiteral("unit %1 does not answer").arg(id));
        }
        // Read through already: the owner's model holds what the unit does,
        // even while the owner's scan goes on over the other IDs.
        if (ReadThrough(unit)) {
            return {};
        }
        if (core_.model.objSelectedUnit != unit) {
            console_.Progress(QStringLiteral("reading unit %1").arg(id));
            select_(unit);
        }
        if (!WaitIdle()) {
            return LineFailure();
        }
        if (!StillAnswering(id) || core_.model.objSelectedUnit != unit) {
            return Fail(ExitStatus::NotAnswering,
                        QStringLiteral("unit %1 does not answer").arg(id));
        }
        return {};
    }
    console_.Progress(QStringLiteral("reading unit %1").arg(id));
    core_.link.senders.CmdGetUnitInfo(id, 0, kQuery);
    if (!WaitIdle()) {
        return LineFailure();
    }
    const UnitRef unit = core_.model.FindUnit(id);
    if (!StillAnswering(id) || core_.model.objSelectedUnit != unit) {
        return Fail(ExitStatus::NotAnswering, QStringLiteral("unit %1 does not answer").arg(id));
    }
    return {};
}

Session::Outcome Session::Run() {
    // A file that will not read is refused before the port is taken; it is
    // opened without waiting, so a FIFO cannot hold the port.
    if (command_.kind == K::Restore) {
        QString error;
        if (!UnitSettingsFile::Read(command_.file, error)) {
            return Fail(ExitStatus::BadFile, QStringLiteral("%1: %2").arg(command_.file, error));
        }
    }
    // The scenes file alone: no port is needed to list or show them.
    if (command_.kind == K::SceneList || command_.kind == K::SceneShow) {
        return Scenes();
    }
    if (command_.kind == K::SceneRecall) {
        const Outcome found = FindScene();
        if (found.status != ExitStatus::Done) {
            return found;
        }
    }
    // A signal that came while the command line was read ends the run
    // before anything is opened.
    if (SignalWatcher::Pending() != 0) {
        interrupted_ = true;
        return Fail(ExitStatus::NotTaken, QStringLiteral("interrupted"));
    }
    Outcome out;
    if (onOwner()) {
        if (!PortOpen()) {
            return Fail(ExitStatus::PortFailed, QStringLiteral("the owner's port is not open"));
        }
    } else {
        out = OpenPort();
        if (out.status != ExitStatus::Done) {
            return out;
        }
    }
    out = command_.kind == K::Scan                                  ? Scan()
          : command_.kind == K::Show                                ? Show()
          : command_.kind == K::Save || command_.kind == K::Restore ? Settings()
          : command_.kind == K::SceneRecall                         ? RecallScene()
                                                                    : Change();
    if (own_) {
        own_->trace.Flush();
    }
    return out;
}

Session::Outcome Session::Scan() {
    // The probes carry a tag of their own: on the owner's line, a scan that
    // ends early withdraws those not yet written, so the line is free for
    // the next client at once instead of after every silent ID.
    TransmitQueue& q = core_.link.queue;
    const uint32_t tag = q.NewTag();
    const uint32_t tagBefore = q.currentTag();
    const int32_t stepBefore = q.currentStep();
    q.setCurrentTag(tag);
    for (int id : command_.ids) {
        core_.link.senders.CmdGetUnitInfo(static_cast<uint8_t>(id), 0, kQuery);
    }
    q.setCurrentTag(tagBefore, stepBefore);
    const bool probed = WaitIdle();
    q.PurgeCommandsByTag(tag);
    q.DropTag(tag);
    if (!probed) {
        return LineFailure();
    }
    // The first unit found is read in full; the others tell their abilities too.
    for (const auto& entry : core_.model.objUnits()) {
        if (entry.unit->blExtendedInfoExist() && entry.unit != core_.model.objSelectedUnit) {
            core_.link.senders.CmdGetUnitInfo(entry.unit->bID(), 1, kQuery);
        }
    }
    if (!WaitIdle()) {
        return LineFailure();
    }
    // And the firmware of those that tell it, as show prints it.
    for (const auto& entry : core_.model.objUnits()) {
        const auto firmware = entry.unit->objFirmwareVersion();
        if (firmware && firmware->blEnabled() && entry.unit != core_.model.objSelectedUnit) {
            core_.link.senders.CmdGetFirmwareVersion(entry.unit->bID(), kQuery);
        }
    }
    if (!WaitIdle()) {
        return LineFailure();
    }
    QJsonArray units;
    for (int id : command_.ids) {
        const UnitRef unit = core_.model.FindUnit(static_cast<uint8_t>(id));
        if (IsUnitConnected(unit)) {
            units.append(Report::Unit(*unit));
        }
    }
    Outcome out{ExitStatus::Done, {}, QJsonObject{{"units", units}}};
    if (units.isEmpty()) {
        out.status = ExitStatus::NotAnswering;
        out.message = QStringLiteral("no unit answers");
    }
    return out;
}

Session::Outcome Session::Show() {
    const auto id = static_cast<uint8_t>(command_.id);
    // A read during which an answer came out of step holds values taken for
    // other requests: it agrees with no other.
    const auto outOfStep = [this] { return core_.link.receiver.OutOfStepCount(); };
    uint64_t before = outOfStep();
    Outcome out = ReadUnit(id);
    if (out.status != ExitStatus::Done) {
        return out;
    }
    bool seenInStep = outOfStep() == before;
    const UnitRef unit = core_.model.FindUnit(id);
    // What is printed is what the unit holds: a stray answer taken for
    // another (an answer sent twice, an empty one) would show a value the
    // unit does not hold. Read again until two reads agree.
    const auto live = [&] {
        return QJsonObject{
            {"outputs",
             Report::Outputs(core_.model, *unit, Report::AllPorts(unit->iOutputCount()))},
            {"inputs", Report::Inputs(core_.model, *unit, Report::AllPorts(unit->iInputCount()))}};
    };
    QJsonObject seen = live();
    // The owner has read the unit and keeps it polled: its model is what the
    // unit holds, and reads are answered from it.
    for (int read = 2; !onOwner(); ++read) {
        before = outOfStep();
        core_.status.SetLoadingStatus(true);
        core_.status.RequestUnitStatus(0);
        if (!WaitIdle()) {
            return LineFailure();
        }
        if (!StillAnswering(id)) {
            return Fail(ExitStatus::NotAnswering,
                        QStringLiteral("unit %1 stopped answering").arg(id));
        }
        const QJsonObject again = live();
        const bool inStep = outOfStep() == before;
        if (again == seen && inStep && seenInStep) {
            break;
        }
        if (read >= kMostReads) {
            return Fail(
                ExitStatus::NotTaken,
                QStringLiteral("unit %1: its answers differ from one read to the next").arg(id));
        }
        seen = again;
        seenInStep = inStep;
    }
    // A port the unit never reported is unknown: printed as the table's
    // default, it would be a value the unit does not hold.
    const auto missing = core_.status.sweep().Missing(0);
    if (!missing.empty()) {
        QStringList what;
        for (const auto& [code, ports] : missing) {
            QStringList numbers;
            for (int p : ports) {
                numbers << QString::number(p);
            }
            what << QStringLiteral("query %1 for ports %2")
                        .arg(code, 2, 16, QLatin1Char('0'))
                        .arg(numbers.join(QLatin1Char(',')));
        }
        return Fail(ExitStatus::NotTaken, QStringLiteral("unit %1 did not report every port: %2")
                                              .arg(id)
                                              .arg(what.join(QStringLiteral("; "))));
    }
    QJsonArray presets;
    for (int m = 1; command_.presets && m <= unit->iMemoryCount(); ++m) {
        console_.Progress(QStringLiteral("reading preset %1").arg(m));
        console_.ClearMemoryRows();
        console_.setLocation(m);
        core_.status.SetLoadingMemory(true);
        if (!WaitIdle()) {
            return LineFailure();
        }
        if (!StillAnswering(id)) {
            return Fail(ExitStatus::NotAnswering,
                        QStringLiteral("unit %1 stopped answering").arg(id));
        }
        presets.append(
            QJsonObject{{"location", m}, {"outputs", Report::Preset(console_.presetRows())}});
    }
    out.result = QJsonObject{
        {"unit", Report::Unit(*unit)}, {"outputs", seen["outputs"]}, {"inputs", seen["inputs"]}};
    if (command_.presets) {
        out.result.insert("presets", presets);
    }
    return out;
}

Session::Outcome Session::Change() {
    const auto id = static_cast<uint8_t>(command_.id);
    Outcome out = ReadUnit(id);
    if (out.status != ExitStatus::Done) {
        return out;
    }
    const UnitRef unit = core_.model.FindUnit(id);
    const QString refusal = Refusal(command_, *unit);
    if (!refusal.isEmpty()) {
        return Fail(ExitStatus::OutOfRange, QStringLiteral("unit %1: %2").arg(id).arg(refusal));
    }
    console_.Progress(QStringLiteral("sending to unit %1").arg(id));
    Send(*unit);
    if (!WaitIdle()) {
        return LineFailure();
    }
    if (!StillAnswering(id)) {
        return Fail(ExitStatus::NotAnswering, QStringLiteral("unit %1 stopped answering").arg(id));
    }
    const QString differs = Mismatch(*unit);
    if (!differs.isEmpty()) {
        return Fail(ExitStatus::NotTaken, QStringLiteral("unit %1: %2").arg(id).arg(differs));
    }
    out.result.insert("unit", Report::Unit(*unit));
    if (command_.kind == K::PresetSave) {
        out.result.insert(
            "presets", QJsonArray{QJsonObject{{"location", command_.location},
                                              {"outputs", Report::Preset(console_.presetRows())}}});
    } else if (!command_.inputs.empty()) {
        out.result.insert("inputs", Report::Inputs(core_.model, *unit, command_.inputs));
    } else {
        const std::vector<int> outputs =
            command_.outputs.empty() ? Report::AllPorts(unit->iOutputCount()) : command_.outputs;
        out.result.insert("outputs", Report::Outputs(core_.model, *unit, outputs));
    }
    return out;
}

} // namespace quadrel::ctl
