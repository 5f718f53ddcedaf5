#pragma once

#include "model/QuadrelCore.h"

#include <QJsonObject>

#include <optional>

namespace quadrel::remote {

// What the network reads, answered from the owner's model as it stands:
// never a request on the line. The owner keeps its selected unit read and
// polled, so that unit's routes and levels are live; of the others the
// model holds what they reported when found.
namespace ModelView {

// {"port": N, "baud": B, "units": [{unit record, "answering", "selected"}]}
QJsonObject Units(const basQRD& model, int port, int baud);
// {"unit": {...}, "answering", "selected", "state": {"outputs", "inputs"} or
// null when the model holds no live state of it}; nothing for an unknown ID.
std::optional<QJsonObject> Unit(const basQRD& model, int id);

} // namespace ModelView

} // namespace quadrel::remote
