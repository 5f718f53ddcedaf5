#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace quadrel {

// The mute pictures by key, "Mute" or "Unmute" (any other key: "Unmute").
// The one place the pictures come from, so a shared picture set can take
// its place.
QPixmap MutePicture(const QString& key, QSize size = QSize(22, 18));

// MuteKeys: 0 is "Unmute", 1 "Mute"; any other status shows as not muted.
QString MuteKey(int muteStatus);

} // namespace quadrel
