#include "link/basCommunication.h"

#include "model/basQRD.h"

namespace quadrel {

basCommunication::basCommunication(SerialPort& port, TimerFactory& timers, LinkTrace& trace,
                                   basQRD& model)
    : queue(port, timers, trace, model), receiver(port, timers, trace, queue),
      builder(model, queue), senders(builder), port_(port) {
    queue.setReceivingFrom([this](uint8_t id) { return receiver.IsReceivingFrom(id); });
    SerialPort::Handlers handlers;
    handlers.received = [this] { receiver.ProcessReceivedData(); };
    handlers.drained = [this] { queue.SendNextCommand(); };
    handlers.lost = [this] { PortLost(); };
    port_.setHandlers(std::move(handlers));
}

basCommunication::~basCommunication() {
    port_.setHandlers({});
}

void basCommunication::PortLost() {
    // No answer can come now: do not count the silence against the unit.
    queue.timWaitACK().stop();
    queue.ResetRetries();
    receiver.ResetReceiver();
    queue.SendNextCommand(); // finds the port closed and empties the queue
    if (onPortLost_) {
        onPortLost_();
    }
}

} // namespace quadrel
