#pragma once

#include "link/Bytes.h"

#include <QString>

namespace quadrel {

// A unit's name as it reports it: 8-bit text, UTF-8 where the bytes are valid
// UTF-8, else byte for byte Latin-1. Control characters become U+FFFD so they
// never reach the screen as such.
QString DecodeDeviceName(const uint8_t* bytes, int count);
// The same marking for text from anywhere else (names the operator types).
QString ShownText(const QString& name);

} // namespace quadrel
