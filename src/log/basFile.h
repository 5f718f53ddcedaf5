#pragma once

#include <QString>

// Path building for the log file.
namespace quadrel::basFile {

// folder + "/" + name + "." + extension. A folder that already ends in "/"
// gets no second one, an extension given with its point no second point, and
// an empty folder or extension is left out with its separator.
QString CombinePath(const QString& folder, const QString& name, const QString& extension);

} // namespace quadrel::basFile
