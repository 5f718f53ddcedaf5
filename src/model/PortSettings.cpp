#include "model/PortSettings.h"

#include <QSettings>

#include <limits>

namespace quadrel {

namespace {

const QString kGroup = QStringLiteral("COM");
const QString kPortNumber = QStringLiteral("PORT NUMBER");
const QString kBaudRate = QStringLiteral("BAUD RATE");
const QString kAutoBaudRate = QStringLiteral("AUTO BAUDRATE");

std::optional<qlonglong> ParseWhole(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok, 10);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

} // namespace

PortSettings::PortSettings(QString fileName) : fileName_(std::move(fileName)) {}

QString PortSettings::DefaultFileName() {
    return QSettings(QStringLiteral("Quadrel"), QStringLiteral("Quadrel")).fileName();
}

std::optional<int16_t> PortSettings::ParseInt16(const QString& text) {
    const auto value = ParseWhole(text);
    if (!value || *value < std::numeric_limits<int16_t>::min() ||
        *value > std::numeric_limits<int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int16_t>(*value);
}

std::optional<int32_t> PortSettings::ParseInt32(const QString& text) {
    const auto value = ParseWhole(text);
    if (!value || *value < std::numeric_limits<int32_t>::min() ||
        *value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

std::optional<bool> PortSettings::ParseBool(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    const auto value = ParseWhole(trimmed);
    if (!value) {
        return std::nullopt;
    }
    return *value != 0;
}

PortSettings::Values PortSettings::Read() const {
    QSettings settings(fileName_, QSettings::NativeFormat);
    settings.beginGroup(kGroup);
    Values v;
    v.blAutoBaudRate = ParseBool(settings.value(kAutoBaudRate).toString()).value_or(false);
    v.iPortNumber = ParseInt16(settings.value(kPortNumber).toString()).value_or(0);
    v.lBaudRate = ParseInt32(settings.value(kBaudRate).toString()).value_or(0);
    return v;
}

void PortSettings::Write(int16_t portNumber, int32_t baudRate) {
    QSettings settings(fileName_, QSettings::NativeFormat);
    settings.beginGroup(kGroup);
    settings.setValue(kPortNumber, QString::number(portNumber));
    settings.setValue(kBaudRate, QString::number(baudRate));
    settings.endGroup();
    settings.sync();
}

} // namespace quadrel
