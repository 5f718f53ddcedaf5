#pragma once

#include <QString>

namespace quadrel {

// What a trace line is; the window picks a colour for each that reads well
// on its own palette.
enum class TraceColour { Send, Recv, Words, Fault, Piece };

// Where the trace shows its lines: the log window's text box. Line breaks
// count as one character here, as a text document counts them.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    // Appends `text` and a line break in the colour of `colour`.
    virtual void AppendTraceLine(const QString& text, TraceColour colour) = 0;
    // Removes the first `count` characters.
    virtual void RemoveLeadingTrace(qsizetype count) = 0;
    // Removes every line.
    virtual void ClearTrace() {}
};

} // namespace quadrel
