#pragma once

#include <QString>
#include <QStringList>

namespace quadrel::ctl {

// quadrel-ctl token create NAME [--role technician|staff] | list | revoke ID|NAME:
// the tokens that let network clients act on the line. It touches the
// tokens file only, never the line, so it works whoever owns the port.
namespace TokenCommand {

struct Result {
    int status = 0;
    QString out; // standard output
    QString err; // standard error
};

bool Is(const QStringList& args);
Result Run(const QStringList& args, const QString& fileName);

} // namespace TokenCommand

} // namespace quadrel::ctl
