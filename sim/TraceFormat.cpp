#include "sim/TraceFormat.h"

namespace quadrel::sim {

QString TraceFormat::Line(const LineEvent& event) {
    const double seconds = static_cast<double>(event.at.count()) / 1e6;
    const char* direction = event.kind == LineEvent::Kind::Request  ? "in "
                            : event.kind == LineEvent::Kind::Answer ? "out"
                                                                    : "?? ";
    QString hex;
    for (uint8_t b : event.bytes) {
        if (!hex.isEmpty()) {
            hex += QLatin1Char(' ');
        }
        hex += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return QStringLiteral("%1  %2  %3  %4")
        .arg(seconds, 12, 'f', 6)
        .arg(QLatin1String(direction), hex.isEmpty() ? QStringLiteral("--") : hex,
             QString::fromStdString(event.note));
}

} // namespace quadrel::sim
