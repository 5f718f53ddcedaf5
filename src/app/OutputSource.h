#pragma once

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

// "A12 V12"; a dash for a kind that nothing feeds ("A– V3").
QString SourceText(const OutputSource& source);
// The same in words, for the tool tip and screen readers.
QString SourceDescription(const OutputSource& source);

// How the label names an input. The one place to put an input's name once
// the program keeps names: the number then gives way to it here.
QString InputShown(int input);

} // namespace quadrel
