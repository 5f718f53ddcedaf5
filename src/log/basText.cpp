#include "log/basText.h"

namespace quadrel::basText {

QString HexFixed(int32_t value, int width) {
    return QString::number(static_cast<uint32_t>(value), 16)
        .toUpper()
        .rightJustified(width, QLatin1Char('0'));
}

QString ByteArrayToHex(const Bytes& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()) * 3);
    for (const uint8_t b : bytes) {
        text += HexFixed(b, 2);
        text += QLatin1Char(' ');
    }
    return text;
}

} // namespace quadrel::basText
