#include "model/DeviceName.h"

#include <QList>
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
    return ShownText(name);
}

QString ShownText(const QString& name) {
    // By code point: format characters beyond the first plane (the invisible
    // tag characters) come as surrogate pairs.
    QString shown;
    shown.reserve(name.size());
    for (const uint point : name.toUcs4()) {
        const auto c = static_cast<char32_t>(point);
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            shown += QChar(QChar::ReplacementCharacter);
        } else {
            shown += QString::fromUcs4(&c, 1);
        }
    }
    return shown;
}

} // namespace quadrel
