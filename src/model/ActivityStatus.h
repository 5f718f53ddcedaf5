#pragma once

#include "link/LinkTrace.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace quadrel {

class basQRD;
class SerialPort;

// What the status line says the program is doing: how far a scan has got
// and what it found, that the selected unit does not answer, that no unit
// can be reached without a port. It reads the model and the port, and hears
// the link through the trace, which it passes on unchanged.
class ActivityStatus : public LinkTrace {
    Q_DECLARE_TR_FUNCTIONS(ActivityStatus)

public:
    ActivityStatus(LinkTrace& trace, const basQRD& model, const SerialPort& port);

    // "Scanning ID 12 of 31: 2 units found" (", last seen here" while it asks
    // a unit last seen first), "Unit 01 is not answering: ...",
    // or empty when there is nothing to say.
    QString Text() const;

    // `lastSeen`: the IDs the scan asks first, as last seen on the port.
    void ScanStarted(std::vector<uint8_t> lastSeen = {});
    void ScanEnded();
    void PortLost();
    // The selected unit answers again after it was given up.
    void UnitBack(uint8_t id);
    // What the operator's last act did ("Undone: Output 1: volume 80 → 51"),
    // shown until something else happens on the line.
    void Act(const QString& text);
    // As built: no scan seen, the port not lost.
    void Reset() {
        probing_ = 0;
        lastSeen_.clear();
        scanEnded_ = false;
        lost_ = false;
        back_ = -1;
        act_.clear();
    }

    // Told whenever the text may have changed; the window reads Text() once
    // the handler that changed it has ended.
    void setOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }

    // LinkTrace: passed on; a probe written during a scan moves the progress,
    // and any request, answer or unit given up may change what is said.
    void LogSend(const Bytes& bytes) override { trace_.LogSend(bytes); }
    void LogRecv(const Bytes& bytes) override { trace_.LogRecv(bytes); }
    void LogRequest(const SEND_PACKET& request) override;
    void LogAnswer(const SEND_PACKET& request, const Bytes& frame) override;
    void LogRepeat(const SEND_PACKET& request, int attempt) override {
        trace_.LogRepeat(request, attempt);
    }
    void LogGiveUp(const SEND_PACKET& request) override;
    void LogDrop(DropReason reason, int bytes) override { trace_.LogDrop(reason, bytes); }

private:
    void Changed();

    LinkTrace& trace_;
    const basQRD& model_;
    const SerialPort& port_;
    std::function<void()> onChanged_;
    int probing_ = 0; // the ID the running scan asks now
    std::vector<uint8_t> lastSeen_;
    bool scanEnded_ = false; // a scan ran and ended: say what it found
    bool lost_ = false;      // the port went away (rather than never opened)
    int back_ = -1;          // the selected unit came back after it was given up
    QString act_;            // what the operator's last act did
};

// The words for a unit that does not answer, in the status line and on its
// row's icon; the ID as the unit list shows it.
QString NotAnsweringText(int id);
QString AnsweringText(int id);
// The caption of a page that shows a silent unit's last known values.
QString NotCurrentText(int id);

} // namespace quadrel
