#pragma once

#include <QString>

#include <functional>

namespace quadrel {

class frmOptions;

// Where the link, the model and the views plug into the frame. Each hook may
// stay empty; the frame then does nothing at that point.
struct AppHooks {
    // The port's receive event: the receive path reads and parses the bytes.
    std::function<void()> ProcessReceivedData;
    // The port's send event (output drained): the transmit step of the queue.
    std::function<void()> SendNextCommand;
    // The open port vanished; it is closed already and the status line says so.
    std::function<void()> PortLost;
    // Starts (true) or stops (false) a scan of the line: after start-up and
    // after a successful OK in Options.
    std::function<void(bool)> SetScanning;
    // The scan button.
    std::function<void()> cmdScan_Click;
    // Lays out the three pages for the selected unit, once at start-up.
    std::function<void()> Setup_AllViews;
    // Options cancelled while the port is closed: empty the unit list and the
    // memory location list and disable the unit controls.
    std::function<void()> ClearUnitPane;
    // "Save unit settings…" and "Restore unit settings…".
    std::function<void()> SaveUnitSettings;
    std::function<void()> RestoreUnitSettings;
    // Shutdown: the model lets go of every unit.
    std::function<void()> ReleaseModel;
    // Ctrl+Z and Ctrl+Shift+Z: take the operator's last change back, make it again.
    std::function<void()> Undo;
    std::function<void()> Redo;
    // The step Undo (true) or Redo would send, in words; empty for none.
    std::function<QString(bool)> NextStep;
    // Ctrl+G: the switch page, and the input or output asked for.
    std::function<void()> GoTo;
    // Why Options may not open now (told on the status line); empty: it may.
    std::function<QString()> OptionsRefusal;
    // Adds the program's own pages to Options as it opens.
    std::function<void(frmOptions&)> ExtendOptions;
};

} // namespace quadrel
