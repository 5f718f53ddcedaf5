#include "AppRig.h"

#include <QFile>
#include <QSettings>

namespace quadrel::test {

AppRig::AppRig() = default;

AppRig::~AppRig() {
    program_.reset();
}

void AppRig::AddPort(int number) {
    auto pty = std::make_unique<Pty>();
    folders_.addAlias(number, pty->slavePath());
    ptys_[number] = std::move(pty);
}

void AppRig::RemovePort(int number) {
    QFile::remove(folders_.folders().aliasDir + QStringLiteral("/com%1").arg(number));
}

QString AppRig::DeviceOf(int number) const {
    return ptys_.at(number)->slavePath();
}

void AppRig::Store(const QString& key, const QString& value) {
    QSettings settings(settingsFile(), QSettings::NativeFormat);
    settings.setValue(QStringLiteral("COM/") + key, value);
}

QString AppRig::Stored(const QString& key) const {
    QSettings settings(settingsFile(), QSettings::NativeFormat);
    return settings.value(QStringLiteral("COM/") + key).toString();
}

bool AppRig::SettingsWritten() const {
    return QFile::exists(settingsFile());
}

void AppRig::UseRealPort() {
    real_ = std::make_unique<QtSerialPort>(comm_);
}

sim::SimSerialPort& AppRig::UseSimPort() {
    sim_ = std::make_unique<sim::SimSerialPort>(time);
    StorePort(200);
    return *sim_;
}

basMain& AppRig::program() {
    if (!program_) {
        program_ = std::make_unique<basMain>(basMain::Environment{
            comm_, port(), time, messages, clock, settingsFile(), config_.path(),
            [this] { return real_ ? real_->lastError() : QString(); }, stateFile(), namesFile()});
        program_->hooks().SetScanning = [this](bool on) {
            scans += on ? 1 : 0;
            if (sim_) {
                program_->core().status.SetScanning(on);
            }
        };
    }
    return *program_;
}

} // namespace quadrel::test
