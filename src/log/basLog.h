#pragma once

#include "link/LinkTrace.h"
#include "log/LogClock.h"
#include "log/TraceSink.h"

#include <QString>

namespace quadrel {

// The trace of the line: every frame written and every piece of input read
// becomes one hexadecimal line, shown in the log window while tracing is on
// and offered to the daily log file.
//
// The text the log holds is kept here with CR LF line breaks, because the
// trim rule counts a line break as two characters; the window shows the same
// lines with its own one-character breaks.
class basLog : public LinkTrace {
public:
    // The trim starts when the text would reach kTrimAt characters and cuts
    // roughly the oldest kKeepWindow characters in one piece.
    static constexpr qsizetype kTrimAt = 65536;
    static constexpr qsizetype kTrimWindow = 16384;

    // `programFolder` holds the "LOG" folder of the daily log file.
    basLog(QString programFolder, const LogClock& clock);

    void LogSend(const Bytes& bytes) override;
    void LogRecv(const Bytes& bytes) override;
    void LogEvent(const QString& text);
    void WriteLog(const QString& kind, const QString& text);
    void ShowTrace(const QString& text, TraceColour colour);

    // Tracing to the window; switched by the log window only.
    bool blShowTrace() const { return blShowTrace_; }
    void setBlShowTrace(bool on) { blShowTrace_ = on; }
    // Writing the daily log file; nothing in the program switches it on.
    bool blWriteLogFile() const { return blWriteLogFile_; }
    void setBlWriteLogFile(bool on) { blWriteLogFile_ = on; }

    // The window that shows the lines; null while there is none.
    void setSink(TraceSink* sink) { sink_ = sink; }
    // The text the log holds, CR LF after every line.
    const QString& txtLog() const { return text_; }

    // How many leading characters of `text` a trim removes: through the CR of
    // the last CR LF that begins at or before character kTrimWindow; failing
    // that, through the CR of the first one after it, so that one long line
    // cannot stop every later trim; failing that, kTrimWindow characters.
    static qsizetype TrimLength(const QString& text);

private:
    QString programFolder_;
    const LogClock& clock_;
    TraceSink* sink_ = nullptr;
    QString text_;
    bool blShowTrace_ = false;
    bool blWriteLogFile_ = false;
};

} // namespace quadrel
