#include "log/basLog.h"

#include "log/basFile.h"
#include "log/basText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quadrel {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

basLog::basLog(QString programFolder, const LogClock& clock)
    : programFolder_(std::move(programFolder)), clock_(clock),
      lines_(
          [this](const QString& line, TraceColour colour, bool poll) { Show(line, colour, poll); },
          clock) {}

void basLog::setBlShowTrace(bool on) {
    blShowTrace_ = on;
    lines_.setLines(on);
    MarkSince();
}

void basLog::setWatched(bool on) {
    watched_ = on;
    MarkSince();
}

void basLog::MarkSince() {
    if (Listening() && !lines_.figures().since().isValid()) {
        lines_.figures().setSince(clock_.LocalNow());
    }
}

void basLog::setShowWords(bool on) {
    showWords_ = on;
    lines_.setWords(on);
}

void basLog::setShowPieces(bool on) {
    showPieces_ = on;
    lines_.setPieces(on);
}

void basLog::LogSend(const Bytes& bytes) {
    if (blWriteLogFile_) {
        LogEvent(QStringLiteral("SEND ") + basText::ByteArrayToHex(bytes));
    }
    lines_.Send(bytes);
}

void basLog::LogRecv(const Bytes& bytes) {
    // The file takes each piece as it is read; the window, each frame.
    if (blWriteLogFile_) {
        LogEvent(QStringLiteral("RECV ") + basText::ByteArrayToHex(bytes));
    }
    lines_.Recv(bytes);
}

void basLog::LogRequest(const SEND_PACKET& request) {
    if (Listening()) {
        lines_.Request(request);
    }
}

void basLog::LogAnswer(const SEND_PACKET& request, const Bytes& frame) {
    if (Listening()) {
        lines_.Answer(request, frame);
    }
}

void basLog::LogRepeat(const SEND_PACKET& request, int attempt) {
    if (Listening()) {
        lines_.Repeat(request, attempt);
    }
}

void basLog::LogGiveUp(const SEND_PACKET& request) {
    if (Listening()) {
        lines_.GiveUp(request);
    }
}

void basLog::LogDrop(DropReason why, int bytes) {
    if (Listening()) {
        lines_.Drop(why, bytes);
    }
}

void basLog::LogRefused(const SEND_PACKET& request, const QString& reason) {
    if (Listening()) {
        lines_.Refused(request, reason);
    }
}

void basLog::Show(const QString& text, TraceColour colour, bool poll) {
    if (!blShowTrace_ || (poll && hidePolls_)) {
        return;
    }
    if (paused_) {
        // Held lines beyond what the window keeps would be trimmed anyway.
        held_.emplace_back(text, colour);
        if (held_.size() > static_cast<size_t>(kTrimAt / 8)) {
            held_.erase(held_.begin(), held_.begin() + static_cast<qsizetype>(held_.size() / 2));
        }
        return;
    }
    ShowTrace(text, colour);
}

void basLog::setPaused(bool on) {
    paused_ = on;
    if (!on) {
        lines_.Flush();
        const auto held = std::exchange(held_, {});
        for (const auto& [text, colour] : held) {
            ShowTrace(text, colour);
        }
    }
}

void basLog::ClearTrace() {
    lines_.Flush();
    text_.clear();
    held_.clear();
    lines_.figures().Reset();
    MarkSince();
    if (sink_ != nullptr) {
        sink_->ClearTrace();
    }
}

bool basLog::SaveTrace(const QString& path, const QString& version) {
    lines_.Flush();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QString head =
        QStringLiteral("Quadrel %1 trace saved %2")
            .arg(version, clock_.LocalNow().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    const QString line = describeLine_ ? describeLine_() : QString();
    if (!line.isEmpty()) {
        head += kCrLf + line;
    }
    file.write((head + kCrLf + kCrLf + text_).toUtf8());
    return file.commit();
}

void basLog::LogEvent(const QString& text) {
    WriteLog(QStringLiteral("EVENT"), text);
}

void basLog::WriteLog(const QString& kind, const QString& text) {
    if (!blWriteLogFile_ || kind.isEmpty() || text.isEmpty()) {
        return;
    }
    const QDateTime now = clock_.LocalNow();
    const QString name = kind + now.date().toString(QStringLiteral("yyyyMMdd"));
    const QString folder = basFile::CombinePath(programFolder_, QStringLiteral("LOG"), QString());
    // Append only; the folder is never created, so a missing one loses the
    // line without a word, as does any other file error.
    const QString path = basFile::CombinePath(folder, name, QString());
    // Only a regular file, or none yet: opening a pipe in its place would
    // wait for a reader, and the program with it.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return;
    }
    const QString line =
        now.time().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + text + kCrLf;
    file.write(line.toLocal8Bit());
}

qsizetype basLog::TrimLength(const QString& text) {
    // A CR at 0-based index i is the CR LF "at character i + 1".
    const qsizetype lastStart = std::min(kTrimWindow - 1, text.size() - 2);
    if (lastStart >= 0) {
        const qsizetype at = text.lastIndexOf(kCrLf, lastStart);
        if (at >= 0) {
            return at + 1;
        }
    }
    const qsizetype after = text.indexOf(kCrLf, kTrimWindow);
    if (after >= 0) {
        return after + 1;
    }
    return std::min(kTrimWindow, text.size());
}

void basLog::ShowTrace(const QString& text, TraceColour colour) {
    if (!blShowTrace_) {
        return;
    }
    if (text_.size() + text.size() >= kTrimAt) {
        const qsizetype cut = TrimLength(text_);
        // The window counts CR LF as one character and never shows the LF
        // that a cut through a CR leaves at the start.
        const qsizetype shown = cut - text_.left(cut).count(QLatin1Char('\n'));
        text_.remove(0, cut);
        if (sink_ != nullptr && shown > 0) {
            sink_->RemoveLeadingTrace(shown);
        }
    }
    text_ += text;
    text_ += kCrLf;
    if (sink_ != nullptr) {
        sink_->AppendTraceLine(text, colour);
    }
}

} // namespace quadrel
