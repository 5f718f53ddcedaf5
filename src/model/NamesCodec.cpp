#include "model/NamesCodec.h"

#include <QCoreApplication>

namespace quadrel::NamesCodec {

namespace {

QJsonObject MapJson(const std::map<int, QString>& names) {
    QJsonObject o;
    for (const auto& [n, name] : names) {
        o.insert(QString::number(n), name);
    }
    return o;
}

bool Fail(QString& error, const QString& where, const QString& what) {
    //: %1: where in the file (a key path, as "names.inputs.3"); %2: what is wrong there
    error = QCoreApplication::translate("NamesCodec", "%1: %2").arg(where, what);
    return false;
}

bool Plain(const QJsonValue& value, const QString& where, QString& out, QString& error) {
    if (!value.isString()) {
        return Fail(error, where, QCoreApplication::translate("NamesCodec", "not text"));
    }
    if (Length(value.toString()) > kMaxPortNameLength) {
        return Fail(error, where,
                    QCoreApplication::translate("NamesCodec", "longer than %1 characters")
                        .arg(kMaxPortNameLength));
    }
    out = PlainName(value.toString());
    return true;
}

bool ReadMap(const QJsonObject& names, const char* key, const QString& where,
             std::map<int, QString>& out, QString& error) {
    const QString at = QStringLiteral("%1.%2").arg(where, QLatin1String(key));
    const QJsonValue value = names.value(QLatin1String(key));
    if (!value.isObject()) {
        return Fail(error, at, QCoreApplication::translate("NamesCodec", "missing"));
    }
    const QJsonObject o = value.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        bool ok = false;
        const int n = it.key().toInt(&ok);
        if (!ok || n < 1 || n > kMaxPort || it.key() != QString::number(n)) {
            return Fail(error, at,
                        QCoreApplication::translate("NamesCodec", "\"%1\" is not 1 to %2")
                            .arg(it.key().left(8))
                            .arg(kMaxPort));
        }
        QString name;
        if (!Plain(it.value(), QStringLiteral("%1.%2").arg(at, it.key()), name, error)) {
            return false;
        }
        if (!name.isEmpty()) {
            out[n] = name;
        }
    }
    return true;
}

} // namespace

int Length(const QString& text) {
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A low surrogate after a high one completes the character already counted.
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate())) {
            ++n;
        }
    }
    return n;
}

QJsonObject ToJson(const UnitNames& names) {
    return QJsonObject{{"unit", names.unit},
                       {"inputs", MapJson(names.inputs)},
                       {"outputs", MapJson(names.outputs)},
                       {"presets", MapJson(names.presets)}};
}

std::optional<UnitNames> FromJson(const QJsonValue& value, const QString& where, QString& error) {
    if (!value.isObject()) {
        Fail(error, where, QCoreApplication::translate("NamesCodec", "missing"));
        return std::nullopt;
    }
    const QJsonObject o = value.toObject();
    for (const QString& key : o.keys()) {
        if (key != QLatin1String("unit") && key != QLatin1String("inputs") &&
            key != QLatin1String("outputs") && key != QLatin1String("presets")) {
            Fail(error, where,
                 QCoreApplication::translate("NamesCodec", "unknown key \"%1\"").arg(key.left(40)));
            return std::nullopt;
        }
    }
    UnitNames names;
    if (!Plain(o.value(QLatin1String("unit")), where + QStringLiteral(".unit"), names.unit,
               error) ||
        !ReadMap(o, "inputs", where, names.inputs, error) ||
        !ReadMap(o, "outputs", where, names.outputs, error) ||
        !ReadMap(o, "presets", where, names.presets, error)) {
        return std::nullopt;
    }
    return names;
}

} // namespace quadrel::NamesCodec
