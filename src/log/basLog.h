#pragma once

#include "link/LinkTrace.h"
#include "log/LogClock.h"
#include "log/TraceLines.h"
#include "log/TraceSink.h"

#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace quadrel {

class ProgramState;

// The trace of the line: every frame written and every frame received
// becomes one hexadecimal line with its time, shown in the log window while
// tracing is on; every frame written and every piece of input read is
// offered to the daily log file as before.
//
// The text the log holds is kept here with CR LF line breaks, because the
// trim rule counts a line break as two characters; the window shows the same
// lines with its own one-character breaks.
//
// While tracing is off, the window hidden and no log file written, nothing
// listens: no line is made, nothing decoded or counted.
class basLog : public LinkTrace {
public:
    // The trim starts when the text would reach kTrimAt characters and cuts
    // roughly the oldest kKeepWindow characters in one piece.
    static constexpr qsizetype kTrimAt = 65536;
    static constexpr qsizetype kTrimWindow = 16384;

    // `programFolder` holds the "LOG" folder of the daily log file; `clock`
    // gives the file's date and every line's time.
    basLog(QString programFolder, const LogClock& clock);

    void LogSend(const Bytes& bytes) override;
    void LogRecv(const Bytes& bytes) override;
    void LogRequest(const SEND_PACKET& request) override;
    void LogAnswer(const SEND_PACKET& request, const Bytes& frame) override;
    void LogRepeat(const SEND_PACKET& request, int attempt) override;
    void LogGiveUp(const SEND_PACKET& request) override;
    void LogDrop(DropReason why, int bytes) override;
    void LogRefused(const SEND_PACKET& request, const QString& reason) override;
    bool Listening() const override { return blShowTrace_ || blWriteLogFile_ || watched_; }
    void LogEvent(const QString& text);
    void WriteLog(const QString& kind, const QString& text);
    void ShowTrace(const QString& text, TraceColour colour);

    // Tracing to the window; switched by the log window only.
    bool blShowTrace() const { return blShowTrace_; }
    void setBlShowTrace(bool on);
    // Writing the daily log file; nothing in the program switches it on.
    bool blWriteLogFile() const { return blWriteLogFile_; }
    void setBlWriteLogFile(bool on) { blWriteLogFile_ = on; }
    // The figures are kept while the window shows them, tracing or not.
    void setWatched(bool on);

    // Options of the log window, all off at start. They decide only what the
    // window shows: the log file takes the hex lines it always took.
    // Lines in words after each frame.
    bool showWords() const { return showWords_; }
    void setShowWords(bool on);
    // Leave out the once-a-second poll and its answers (faults stay).
    bool hidePolls() const { return hidePolls_; }
    void setHidePolls(bool on) { hidePolls_ = on; }
    // Each piece of input as the port handed it over, before its frame.
    bool showPieces() const { return showPieces_; }
    void setShowPieces(bool on);
    // Hold lines back while tracing goes on; they follow on resuming.
    bool paused() const { return paused_; }
    void setPaused(bool on);
    // Empties the window and starts the figures afresh.
    void ClearTrace();
    // Writes the lines the log holds to a text file, whole or not at all,
    // under a head naming the program's version, the date and time and the
    // line.
    bool SaveTrace(const QString& path, const QString& version);
    // Writes out a line of dropped input still being gathered.
    void FlushWords() { lines_.Flush(); }
    const TraceFigures& figures() const { return lines_.figures(); }

    // The window that shows the lines; null while there is none.
    void setSink(TraceSink* sink) { sink_ = sink; }
    // The text the log holds, CR LF after every line.
    const QString& txtLog() const { return text_; }
    const LogClock& clock() const { return clock_; }

    // Where the window keeps its choices between runs; null keeps nothing.
    void setState(ProgramState* state) { state_ = state; }
    ProgramState* state() const { return state_; }
    // The port and its rate for a saved trace's head ("COM7 at 9600 baud").
    void setLineDescription(std::function<QString()> describe) {
        describeLine_ = std::move(describe);
    }

    // How many leading characters of `text` a trim removes: through the CR of
    // the last CR LF that begins at or before character kTrimWindow; failing
    // that, through the CR of the first one after it, so that one long line
    // cannot stop every later trim; failing that, kTrimWindow characters.
    static qsizetype TrimLength(const QString& text);

private:
    // The figures count from the first moment anyone listens.
    void MarkSince();
    // Shown, held back while paused, or left out as a poll.
    void Show(const QString& text, TraceColour colour, bool poll);

    QString programFolder_;
    const LogClock& clock_;
    TraceSink* sink_ = nullptr;
    ProgramState* state_ = nullptr;
    std::function<QString()> describeLine_;
    QString text_;
    bool blShowTrace_ = false;
    bool blWriteLogFile_ = false;
    bool watched_ = false;
    bool showWords_ = false;
    bool hidePolls_ = false;
    bool showPieces_ = false;
    bool paused_ = false;
    std::vector<std::pair<QString, TraceColour>> held_;
    TraceLines lines_;
};

} // namespace quadrel
