#pragma once

#include "model/StaffRules.h"

#include <QJsonObject>
#include <QString>

namespace quadrel {
class basQRD;
class NamesStore;
} // namespace quadrel

namespace quadrel::remote {

// What the web panel needs to know of its user beyond the API's state: the
// role, what the staff may touch (so nothing else is offered), and the
// names the operator gave the units and ports on this line.
namespace PanelView {

// {"role", "outputs": {"<id>": [ports]} (staff only), "scenes": [names]
// (staff only), "granted": [actions] (staff only), "names": {"<id>":
// {"unit", "inputs": {"<n>": name}, "outputs": {...}}}}
QJsonObject Describe(Role role, const StaffRules& staff, const basQRD& model, int line,
                     const NamesStore& names);

} // namespace PanelView

} // namespace quadrel::remote
