#include "model/PortSettings.h"

#include "model/LocalFileNames.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quadrel {

namespace {

const QString kGroup = QStringLiteral("COM");
const QString kPortNumber = QStringLiteral("PORT NUMBER");
const QString kBaudRate = QStringLiteral("BAUD RATE");
const QString kAutoBaudRate = QStringLiteral("AUTO BAUDRATE");
const QString kWindowGroup = QStringLiteral("WINDOW");
const QString kLanguage = QStringLiteral("LANGUAGE");
const QString kNetworkGroup = QStringLiteral("NETWORK");
const QString kApi = QStringLiteral("API");
const QString kText = QStringLiteral("TEXT");
const QString kAddress = QStringLiteral("ADDRESS");
const QString kApiPort = QStringLiteral("API PORT");
const QString kTextPort = QStringLiteral("TEXT PORT");
const QString kCertificate = QStringLiteral("CERTIFICATE");
const QString kKey = QStringLiteral("KEY");
const QString kOrigins = QStringLiteral("ORIGINS");
// Three short values; anything much larger is not a file of ours.
constexpr qint64 kMaxBytes = 1024 * 1024;

std::optional<qlonglong> ParseWhole(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok, 10);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString NotAFile(const struct stat& info) {
    //: why the settings file cannot be used
    return S_ISDIR(info.st_mode)
               ? QCoreApplication::translate("PortSettings", "it is a folder")
               : QCoreApplication::translate("PortSettings", "it is not a regular file");
}

// The file's bytes, or why they cannot be had. Opened without waiting, so a
// FIFO in its place cannot hold the start.
std::optional<QByteArray> Contents(const QByteArray& path, QString& why) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = SystemError(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = NotAFile(info);
        ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        why = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.read(kMaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        why = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

// Why a write failed, as far as the file and its folder tell.
QString WhyUnwritable(const QString& fileName) {
    const QByteArray path = LocalFileNames::Encode(fileName);
    struct stat info {};
    if (::stat(path.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return NotAFile(info);
    }
    const QByteArray folder = LocalFileNames::Encode(QFileInfo(fileName).absolutePath());
    if (::stat(folder.constData(), &info) != 0) {
        return SystemError(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return QCoreApplication::translate("PortSettings", "%1 is not a folder")
            .arg(QFileInfo(fileName).absolutePath());
    }
    if (::access(folder.constData(), W_OK) != 0) {
        return SystemError(errno);
    }
    return QCoreApplication::translate("PortSettings", "it could not be written");
}

} // namespace

PortSettings::PortSettings(QString fileName) : fileName_(std::move(fileName)) {}

QString PortSettings::DefaultFileName() {
    // Where QSettings("Quadrel", "Quadrel") keeps it, without a QSettings:
    // one would read the file at once, and wait on a FIFO in its place.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quadrel/Quadrel.conf");
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
    Values v;
    const QByteArray path = LocalFileNames::Encode(fileName_);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0 && errno == ENOENT) {
        return v; // the first start
    }
    QString why;
    const std::optional<QByteArray> contents = Contents(path, why);
    if (!contents) {
        v.file = FileState::Unreadable;
        //: follows "The settings file <its name>"
        v.problem = tr("cannot be read (%1)").arg(why);
        return v;
    }
    if (contents->size() > kMaxBytes) {
        v.file = FileState::Damaged;
        //: follows "The settings file <its name>"
        v.problem = tr("is damaged (it is larger than %1 KiB)").arg(kMaxBytes >> 10);
        return v;
    }
    // Qt keeps what it parsed of a file for the whole process and tells a
    // format error only to the first reader: a private copy is parsed
    // afresh. The native format on this system is the INI format.
    QTemporaryFile copy;
    if (!copy.open() || copy.write(*contents) != contents->size() || !copy.flush()) {
        v.file = FileState::Unreadable;
        //: follows "The settings file <its name>"
        v.problem = tr("cannot be read (no room for a copy: %1)").arg(copy.errorString());
        return v;
    }
    QSettings settings(copy.fileName(), QSettings::IniFormat);
    settings.beginGroup(kGroup);
    const QString autoBaudRate = settings.value(kAutoBaudRate).toString();
    const QString portNumber = settings.value(kPortNumber).toString();
    const QString baudRate = settings.value(kBaudRate).toString();
    settings.endGroup();
    settings.beginGroup(kWindowGroup);
    const QString language = settings.value(kLanguage).toString();
    settings.endGroup();
    settings.beginGroup(kNetworkGroup);
    Network network;
    network.api = ParseBool(settings.value(kApi).toString()).value_or(false);
    network.text = ParseBool(settings.value(kText).toString()).value_or(false);
    const QString address = settings.value(kAddress).toString().trimmed();
    if (!address.isEmpty()) {
        network.address = address.left(256);
    }
    const auto apiPort = ParseInt32(settings.value(kApiPort).toString());
    const auto textPort = ParseInt32(settings.value(kTextPort).toString());
    if (apiPort && *apiPort > 0 && *apiPort < 65536) {
        network.apiPort = *apiPort;
    }
    if (textPort && *textPort > 0 && *textPort < 65536) {
        network.textPort = *textPort;
    }
    network.certificate = settings.value(kCertificate).toString().left(4096);
    network.key = settings.value(kKey).toString().left(4096);
    for (const QString& origin :
         settings.value(kOrigins).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        network.origins << origin.left(256);
    }
    // Qt parses a group when it is first asked for: all of them are, so
    // damage anywhere in the file is found.
    settings.endGroup();
    static_cast<void>(settings.allKeys());
    if (settings.status() != QSettings::NoError) {
        // What Qt made of the rest is a guess: none of it is taken.
        v.file = FileState::Damaged;
        //: follows "The settings file <its name>"
        v.problem = tr("is damaged (it is not in the settings format)");
        return v;
    }
    v.file = FileState::Read;
    v.blAutoBaudRate = ParseBool(autoBaudRate).value_or(false);
    v.iPortNumber = ParseInt16(portNumber).value_or(0);
    v.lBaudRate = ParseInt32(baudRate).value_or(0);
    v.language = language.left(32);
    v.network = network;
    return v;
}

bool PortSettings::Write(int16_t portNumber, int32_t baudRate, QString& reason) {
    return Store({{kGroup, kPortNumber, QString::number(portNumber)},
                  {kGroup, kBaudRate, QString::number(baudRate)}},
                 reason);
}

bool PortSettings::WriteLanguage(const QString& language, QString& reason) {
    return Store({{kWindowGroup, kLanguage, language}}, reason);
}

bool PortSettings::WriteNetwork(const Network& n, QString& reason) {
    const auto yes = [](bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); };
    return Store({{kNetworkGroup, kApi, yes(n.api)},
                  {kNetworkGroup, kText, yes(n.text)},
                  {kNetworkGroup, kAddress, n.address},
                  {kNetworkGroup, kApiPort, QString::number(n.apiPort)},
                  {kNetworkGroup, kTextPort, QString::number(n.textPort)},
                  {kNetworkGroup, kCertificate, n.certificate},
                  {kNetworkGroup, kKey, n.key},
                  {kNetworkGroup, kOrigins, n.origins.join(QLatin1Char(' '))}},
                 reason);
}

bool PortSettings::Store(std::initializer_list<Entry> entries, QString& reason) {
    // QSettings reads the file first, and would wait on a FIFO.
    struct stat info {};
    if (::stat(LocalFileNames::Encode(fileName_).constData(), &info) == 0 &&
        !S_ISREG(info.st_mode)) {
        reason = NotAFile(info);
        return false;
    }
    QSettings settings(fileName_, QSettings::NativeFormat);
    for (const Entry& entry : entries) {
        settings.setValue(entry.group + QLatin1Char('/') + entry.key, entry.value);
    }
    settings.sync();
    // Qt writes through a new file renamed over the old one, so a failed
    // write leaves the old file as it was. A format error is the old file's:
    // the new one replaced it.
    if (settings.status() == QSettings::AccessError) {
        reason = WhyUnwritable(fileName_);
        return false;
    }
    return true;
}

} // namespace quadrel
