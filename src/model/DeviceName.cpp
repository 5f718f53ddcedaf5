#include "model/DeviceName.h"

#include <QStringDecoder>

namespace quadrel {

QString DecodeDeviceName(const uint8_t* bytes, int count) {
    if (bytes == nullptr || count <= 0) {
        return {};
    }
    const QByteArray raw(reinterpret_cast<const char*>(bytes), count);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = utf8.decode(raw);
    if (utf8.hasError()) {
        name = QString::fromLatin1(raw);
    }
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = QChar::ReplacementCharacter;
        }
    }
    return name;
}

} // namespace quadrel
