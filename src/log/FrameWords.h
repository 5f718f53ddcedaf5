#pragma once

#include "link/LinkTrace.h"
#include "link/SendPacket.h"

#include <QString>

namespace quadrel::FrameWords {

// A line of the trace in words, for a field engineer reading a bad line:
// what a request asks, what came back, and why input was dropped. Units are
// named with two digits ("unit 01"), ports and values in decimal.
QString UnitName(uint8_t id);
// "unit 01 set volume output 2 = 50"
QString Request(const SEND_PACKET& request);
// "unit 01 ack", "unit 01 reply: 8 pairs", "unit 01 reply: firmware 1.2.3"
QString Answer(const SEND_PACKET& request, const Bytes& frame);
// "unit 01 repeat 2 of 3"
QString Repeat(uint8_t id, int attempt, int tries);
// "unit 01 given up"
QString GivenUp(uint8_t id);
// "dropped 3 bytes: bad checksum"
QString Dropped(DropReason why, int bytes);
QString Reason(DropReason why);

} // namespace quadrel::FrameWords
