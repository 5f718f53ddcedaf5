#include "ctl/TokenCommand.h"

#include "ctl/ExitStatus.h"
#include "model/TokenFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quadrel::ctl::TokenCommand {

namespace {

Result Usage(const QString& error) {
    return {Code(ExitStatus::Usage), {}, QStringLiteral("quadrel-ctl: %1\n").arg(error)};
}

Result Failed(const QString& error) {
    return {Code(ExitStatus::BadFile), {}, QStringLiteral("quadrel-ctl: %1\n").arg(error)};
}

QString RoleName(Role role) {
    return role == Role::Technician ? QStringLiteral("technician") : QStringLiteral("staff");
}

QJsonObject Record(const TokenRecord& t) {
    return {{"id", t.id},
            {"name", t.name},
            {"role", RoleName(t.role)},
            {"created", t.created.toString(Qt::ISODate)}};
}

} // namespace

bool Is(const QStringList& args) {
    for (const QString& a : args) {
        if (!a.startsWith(QLatin1String("--"))) {
            return a == QLatin1String("token");
        }
    }
    return false;
}

Result Run(const QStringList& args, const QString& fileName) {
    QStringList words;
    bool json = false;
    std::optional<Role> role;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--json")) {
            json = true;
        } else if (args[i] == QLatin1String("--role") && i + 1 < args.size()) {
            const QString r = args[++i];
            if (r != QLatin1String("technician") && r != QLatin1String("staff")) {
                return Usage(QStringLiteral("--role takes technician or staff"));
            }
            role = r == QLatin1String("technician") ? Role::Technician : Role::Staff;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return Usage(QStringLiteral("%1 does not go with token").arg(args[i]));
        } else {
            words << args[i];
        }
    }
    words.removeFirst(); // "token"
    const QString verb = words.value(0);
    const bool create = verb == QLatin1String("create");
    if (!(create && words.size() == 2) && !(verb == QLatin1String("list") && words.size() == 1) &&
        !(verb == QLatin1String("revoke") && words.size() == 2)) {
        return Usage(QStringLiteral("token takes create NAME [--role technician|staff], list, or "
                                    "revoke ID|NAME"));
    }
    if (role && !create) {
        return Usage(QStringLiteral("--role goes with token create"));
    }
    TokenFile file(fileName);
    QString error;
    if (create) {
        QString secret;
        TokenRecord made;
        if (!file.Create(words[1], role.value_or(Role::Staff), secret, made, error)) {
            return Failed(error);
        }
        QJsonObject o = Record(made);
        o.insert("token", secret);
        if (json) {
            return {0, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)), {}};
        }
        return {0, secret + QLatin1Char('\n'),
                QStringLiteral("token %1 \"%2\" (%3) made; it is shown only this once\n")
                    .arg(made.id, made.name, RoleName(made.role))};
    }
    if (verb == QLatin1String("revoke")) {
        if (!file.Revoke(words[1], error)) {
            return Failed(error);
        }
        return {0, json ? QStringLiteral("{\"revoked\": \"%1\"}\n").arg(words[1]) : QString(), {}};
    }
    if (!file.Refresh(error)) {
        return Failed(error);
    }
    QJsonArray list;
    QString text;
    for (const TokenRecord& t : file.tokens()) {
        list.append(Record(t));
        text += QStringLiteral("%1\t%2\t%3\t%4\n")
                    .arg(t.id, RoleName(t.role), t.created.toString(Qt::ISODate), t.name);
    }
    if (json) {
        return {0,
                QString::fromUtf8(
                    QJsonDocument(QJsonObject{{"tokens", list}}).toJson(QJsonDocument::Indented)),
                {}};
    }
    return {0, text, {}};
}

} // namespace quadrel::ctl::TokenCommand
