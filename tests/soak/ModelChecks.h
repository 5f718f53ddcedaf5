#pragma once

#include "model/basQRD.h"

#include <string>
#include <vector>

namespace quadrel::test {

// Values in the model of the selected unit that no validated reply could
// have put there: levels outside 0..100, routes beyond the unit's inputs,
// anything set on ports the unit lacks, crosspoints out of step with routes.
std::vector<std::string> ModelProblems(const basQRD& model);

} // namespace quadrel::test
