#pragma once

#include "link/LinkTrace.h"
#include "link/SendPacket.h"

#include <QString>

namespace quadrel::FrameWords {

// A line of the trace in words, for a field engineer reading a bad line:
// what a request asks, what came back, and why input was dropped. Units are
// named by their ID in hex ("unit 0A"), as the unit list shows them; ports
// and values in decimal. The words stay English in every language: the trace
// is a record sent to support.
QString UnitName(uint8_t id);
// "unit 01 set volume output 2 = 50"
QString Request(const SEND_PACKET& request);
// "unit 01 ack", "unit 01 reply: volume of output 3 = 40",
// "unit 01 reply: volume of outputs 1–4 = 50 30 40 40", "unit 01 reply: firmware 1.2.3"
QString Answer(const SEND_PACKET& request, const Bytes& frame);
// "unit 01 repeat 2 of 3"
QString Repeat(uint8_t id, int attempt, int tries);
// "unit 01 given up after 3 tries"
QString GivenUp(uint8_t id, int tries);
// "unit 01 reply refused: volume 120 of output 3 is outside 0–100"
QString Refused(uint8_t id, const QString& reason);
// "dropped 3 bytes: bad checksum"
QString Dropped(DropReason why, int bytes);
QString Reason(DropReason why);
// Unit IDs as ranges: "00, 02–04, 1F".
QString IdRanges(const std::vector<uint8_t>& ids);

} // namespace quadrel::FrameWords
