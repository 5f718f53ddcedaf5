#pragma once

#include <cstdint>
#include <vector>

namespace quadrel {

// Bytes as they travel on the line.
using Bytes = std::vector<uint8_t>;

} // namespace quadrel
