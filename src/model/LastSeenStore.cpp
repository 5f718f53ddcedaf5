#include "model/LastSeenStore.h"

#include "model/ProgramState.h"

#include <QStringList>

#include <algorithm>
#include <bitset>

namespace quadrel {

namespace {

// The group's own format number: another layout is not read as this one.
constexpr int kFormat = 1;
constexpr int kUnits = 32;
// A unit's name fills at most one reply: 255 data bytes less three.
constexpr int kLongestName = 252;

const QString kFormatKey = QStringLiteral("LastSeen/Format");

QString PortKey(int port) {
    return QStringLiteral("LastSeen/COM%1").arg(port);
}

// "ID name": the ID in decimal, a blank, the name (which may be empty).
std::vector<LastSeenStore::Unit> Parse(const QStringList& entries) {
    std::vector<LastSeenStore::Unit> units;
    if (entries.size() > kUnits) {
        return units;
    }
    std::bitset<kUnits> seen;
    for (const QString& entry : entries) {
        const qsizetype blank = entry.indexOf(QLatin1Char(' '));
        bool ok = false;
        const int id = (blank < 0 ? entry : entry.left(blank)).toInt(&ok);
        const QString name = blank < 0 ? QString() : entry.mid(blank + 1);
        if (!ok || id < 0 || id >= kUnits || seen.test(static_cast<size_t>(id)) ||
            name.size() > kLongestName) {
            return {};
        }
        seen.set(static_cast<size_t>(id));
        units.push_back({static_cast<uint8_t>(id), name});
    }
    return units;
}

} // namespace

std::vector<LastSeenStore::Unit> LastSeenStore::Units(int port) const {
    const auto it = read_.find(port);
    if (it != read_.end()) {
        return it->second;
    }
    std::vector<Unit> units;
    if (state_ != nullptr && state_->Value(kFormatKey).toInt() == kFormat) {
        const QVariant value = state_->Value(PortKey(port));
        // One unit is read back as a plain text, several as a list, none as
        // nothing at all.
        if (value.typeId() == QMetaType::QStringList) {
            units = Parse(value.toStringList());
        } else if (!value.toString().isEmpty()) {
            units = Parse({value.toString()});
        }
    }
    read_[port] = units;
    return units;
}

void LastSeenStore::Keep(int port, std::vector<Unit> units) {
    if (units.size() > kUnits || Units(port) == units) {
        return;
    }
    read_[port] = units;
    if (state_ == nullptr) {
        return;
    }
    QStringList entries;
    for (const Unit& unit : units) {
        entries << QStringLiteral("%1 %2").arg(unit.id).arg(unit.name.left(kLongestName));
    }
    state_->SetValue(kFormatKey, kFormat);
    state_->SetValue(PortKey(port), entries);
}

} // namespace quadrel
