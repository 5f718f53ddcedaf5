#pragma once

#include "link/LinkTrace.h"
#include "log/LogClock.h"
#include "log/TraceSink.h"
#include "log/TraceWords.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

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
    void LogRequest(const SEND_PACKET& request) override;
    void LogAnswer(const SEND_PACKET& request, const Bytes& frame) override;
    void LogRepeat(const SEND_PACKET& request, int attempt) override;
    void LogGiveUp(const SEND_PACKET& request) override;
    void LogDrop(DropReason why, int bytes) override;
    void LogEvent(const QString& text);
    void WriteLog(const QString& kind, const QString& text);
    void ShowTrace(const QString& text, TraceColour colour);

    // Tracing to the window; switched by the log window only.
    bool blShowTrace() const { return blShowTrace_; }
    void setBlShowTrace(bool on) { blShowTrace_ = on; }
    // Writing the daily log file; nothing in the program switches it on.
    bool blWriteLogFile() const { return blWriteLogFile_; }
    void setBlWriteLogFile(bool on) { blWriteLogFile_ = on; }

    // Options of the log window, all off at start. They decide only what the
    // window shows: the hex lines keep their form, and the log file takes
    // every hex line and nothing else.
    // Lines in words, with a time stamp, after each frame.
    bool showWords() const { return showWords_; }
    void setShowWords(bool on) { showWords_ = on; }
    // Leave out the once-a-second poll and its answers.
    bool hidePolls() const { return hidePolls_; }
    void setHidePolls(bool on) { hidePolls_ = on; }
    // Hold lines back while tracing goes on; they follow on resuming.
    bool paused() const { return paused_; }
    void setPaused(bool on);
    // Empties the window and starts the figures afresh.
    void ClearTrace();
    // Writes the lines the window holds to a text file, whole or not at all.
    bool SaveTrace(const QString& path) const;
    // Milliseconds since the trace started, for the lines in words.
    void setElapsed(std::function<qint64()> elapsedMs) { elapsedMs_ = std::move(elapsedMs); }
    const TraceWords& words() const { return words_; }
    // Writes out a line of dropped input still being gathered.
    void FlushWords() { words_.Flush(); }

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
    // Shown, held back while paused, or left out as a poll.
    void Show(const QString& text, TraceColour colour, bool poll);
    void WordsLine(const QString& text, bool poll);
    void FiguresChanged();

    QString programFolder_;
    const LogClock& clock_;
    TraceSink* sink_ = nullptr;
    QString text_;
    bool blShowTrace_ = false;
    bool blWriteLogFile_ = false;
    bool showWords_ = false;
    bool hidePolls_ = false;
    bool paused_ = false;
    bool currentPoll_ = false;           // the request on the line is the poll's
    std::optional<SEND_PACKET> request_; // written, its hex line still to come
    std::vector<std::pair<QString, TraceColour>> held_;
    std::function<qint64()> elapsedMs_;
    TraceWords words_;
};

} // namespace quadrel
