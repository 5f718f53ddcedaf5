#pragma once

#include "ctl/Console.h"
#include "model/basQRD.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <map>
#include <vector>

namespace quadrel::ctl {

// What quadrel-ctl prints, built from the model after the unit has answered:
// JSON for --json, and the same objects as lines of text otherwise.
namespace Report {

// The unit's record: counts, abilities, firmware.
QJsonObject Unit(const QRDSTA& unit);
// The live state of these outputs, or of these inputs, from the status tables.
QJsonArray Outputs(const basQRD& model, const QRDSTA& unit, const std::vector<int>& outputs);
QJsonArray Inputs(const basQRD& model, const QRDSTA& unit, const std::vector<int>& inputs);
// One preset's outputs as the reply handlers showed them.
QJsonArray Preset(const std::map<int, PresetRow>& rows);

std::vector<int> AllPorts(int count);

// "unit 1  name Stage  inputs 8 ..." and one line per row of each array.
QString Text(const QJsonObject& result);

} // namespace Report

} // namespace quadrel::ctl
