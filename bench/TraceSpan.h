#pragma once

// What the benchmarks that time the line read from `quadrel-sim --trace`:
// its frames, and the span of one unit's read against its wire time.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace quadrel::bench {

// Runs the event loop until `done` or the limit; true when done.
inline bool Wait(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > limit.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// One line of `quadrel-sim --trace`: "   0.964897  in   21 3F 00 00 7E  unit 1".
struct Frame {
    double at = 0; // s since the emulator began: a request's end, an answer's last byte
    bool request = false;
    int bytes = 0;
    QString note;
};

inline std::optional<Frame> ParseFrame(const QString& line) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*([0-9.]+)\s+(in |out)\s+((?:[0-9A-F]{2} )*[0-9A-F]{2})  (.*)$)"));
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    Frame f;
    f.at = m.captured(1).toDouble();
    f.request = m.captured(2) == QLatin1String("in ");
    f.bytes = static_cast<int>(m.captured(3).size() + 1) / 3;
    f.note = m.captured(4);
    return f;
}

// The unit's read as the trace shows it: the frames to and from unit 1 that
// follow the answer to its probe, up to the next frame for anyone else.
struct ReadSpan {
    ReadSpan(double byteSeconds, double latencySeconds)
        : byteS(byteSeconds), latencyS(latencySeconds) {}

    double byteS;    // one byte on the wire, s
    double latencyS; // the unit's answer latency, s
    std::vector<Frame> frames;
    bool probed = false;
    bool done = false;

    void Take(const Frame& f) {
        const bool unit1 = f.note == QLatin1String("unit 1");
        if (!probed) {
            probed = unit1 && !f.request;
        } else if (!done) {
            if (unit1) {
                frames.push_back(f);
            } else {
                done = !frames.empty();
            }
        }
    }
    int Exchanges() const {
        return static_cast<int>(
            std::count_if(frames.begin(), frames.end(), [](const Frame& f) { return f.request; }));
    }
    long Bytes() const {
        long n = 0;
        for (const Frame& f : frames) {
            n += f.bytes;
        }
        return n;
    }
    // From the first request's first byte on the wire to the last answer's last.
    double Seconds() const {
        return frames.back().at - (frames.front().at - frames.front().bytes * byteS);
    }
    double WireSeconds() const {
        return static_cast<double>(Bytes()) * byteS + Exchanges() * latencyS;
    }
};

} // namespace quadrel::bench
