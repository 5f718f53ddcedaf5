#include "control/NamedPorts.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QTextDocument>
#include <QWidget>

namespace quadrel {

QString NamedCaption(const QString& number, const QString& name, const QFontMetrics& metrics,
                     int width, bool mnemonic) {
    if (name.isEmpty()) {
        return number;
    }
    QString text = metrics.elidedText(number + QLatin1Char(' ') + name, Qt::ElideRight, width);
    if (mnemonic) {
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    }
    return text;
}

int CaptionWidth(const QFontMetrics& metrics) {
    return metrics.horizontalAdvance(QStringLiteral("255 ") + QString(24, QLatin1Char('n')));
}

QString PlainTip(const QString& text) {
    return Qt::mightBeRichText(text) ? QStringLiteral("<qt>%1</qt>").arg(text.toHtmlEscaped())
                                     : text;
}

namespace {

QString PortAndName(NamedPort port, const QString& name) {
    //: a port and the name the operator gave it: "Input 5: Lectern PC"
    return QCoreApplication::translate("NamedPorts", "%1: %2").arg(PortCaption(port), name);
}

} // namespace

QString NamedTip(NamedPort port, const QString& name) {
    return name.isEmpty() ? QString() : PlainTip(PortAndName(port, name));
}

void SetNamedTip(QWidget* widget, NamedPort port, const QString& name) {
    const QString tip = NamedTip(port, name);
    if (widget->toolTip() != tip) {
        widget->setToolTip(tip);
        widget->setAccessibleDescription(name.isEmpty() ? QString() : PortAndName(port, name));
    }
}

} // namespace quadrel
