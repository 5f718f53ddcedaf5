#include "log/basFile.h"

namespace quadrel::basFile {

QString CombinePath(const QString& folder, const QString& name, const QString& extension) {
    QString path;
    if (!folder.isEmpty()) {
        path += folder;
        if (!folder.endsWith(QLatin1Char('/'))) {
            path += QLatin1Char('/');
        }
    }
    path += name;
    if (!extension.isEmpty()) {
        if (!extension.startsWith(QLatin1Char('.'))) {
            path += QLatin1Char('.');
        }
        path += extension;
    }
    return path;
}

} // namespace quadrel::basFile
