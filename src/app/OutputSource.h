#pragma once

#include "model/UnitNames.h"

#include <QString>

#include <optional>

namespace quadrel {

// What feeds one output, for the label beside its output box on the switch
// page, so a scrolled window still tells it. A kind the unit cannot switch is
// left out (no value); input 0 is no input.
struct OutputSource {
    int output = 0;
    std::optional<int> audio;
    std::optional<int> video;
};

// "A12 V12"; a dash for a kind that nothing feeds ("A– V3"). Named inputs
// show by name: "AV Lectern PC" when one feeds both, else "A Lectern PC · V3".
QString SourceText(const OutputSource& source, const UnitNames& names = {});
// The same in words, for the tool tip and screen readers.
QString SourceDescription(const OutputSource& source, const UnitNames& names = {});

// An input in words: "input 5", or "Lectern PC (input 5)" when it has a name.
QString InputShown(int input, const UnitNames& names = {});

} // namespace quadrel
