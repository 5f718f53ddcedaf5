#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace quadrel::remote {

// The web panel's files, built into the program (resources under ":/web"),
// so the panel works on a venue's network with no way out.
namespace StaticFiles {

struct File {
    QByteArray body;
    QByteArray type;
};

// The file a path names: the panel's page for "/", and only plain names of
// files built in; nothing for anything else.
std::optional<File> Find(const QStringList& segments);

// The headers every file goes out with: no other site's scripts, frames or
// forms, and no guessing of types.
QByteArray SecurityPolicy();

} // namespace StaticFiles

} // namespace quadrel::remote
