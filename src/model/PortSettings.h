#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace quadrel {

// The per-user settings, group "COM": the port number and baud rate the
// program opens at start-up, and a flag that nothing consults. Values are
// decimal text; a value that is not a whole number, or does not fit its
// type, reads as absent, so start-up falls back to the options dialog. A
// file that is there but cannot be read, or is not in the settings format,
// is told apart from a missing one (the first start), so the operator learns
// why the port was not taken from it.
class PortSettings {
    Q_DECLARE_TR_FUNCTIONS(PortSettings)

public:
    // `fileName` is the settings file, normally $XDG_CONFIG_HOME/Quadrel/Quadrel.conf.
    explicit PortSettings(QString fileName);

    enum class FileState {
        Absent,     // no file: the first start
        Read,       // read; a value in it may still be absent or unusable
        Unreadable, // there, but not a file that can be read
        Damaged     // read, but not in the settings format
    };
    // The network clients' door, group "NETWORK": everything off and on
    // the loopback address until the technician says otherwise.
    struct Network {
        bool api = false;  // the HTTP/JSON API and its event stream
        bool text = false; // the text protocol
        QString address = QStringLiteral("127.0.0.1");
        int apiPort = 8480;
        int textPort = 8481;
        QString certificate; // PEM files: HTTPS when both are named
        QString key;
        QStringList origins; // web pages allowed to call the API from a browser

        bool operator==(const Network&) const = default;
    };
    struct Values {
        bool blAutoBaudRate = false;
        int16_t iPortNumber = 0;
        int32_t lBaudRate = 0;
        // The window's language as Options keeps it ("System", "en",
        // "zh_TW"); empty when none was chosen. Group "WINDOW".
        QString language;
        Network network;
        FileState file = FileState::Absent;
        // Why no value was taken from the file ("cannot be read (it is a
        // folder)"); empty when it was read or is absent.
        QString problem;
    };
    // Absent or unusable values give 0, 0 and false; so does every value of
    // a file that is unreadable or damaged.
    Values Read() const;
    // "PORT NUMBER" then "BAUD RATE"; only a successful OK in Options writes.
    // False, with the reason, when the file could not be written: it then
    // stays as it was.
    bool Write(int16_t portNumber, int32_t baudRate, QString& reason);
    // "LANGUAGE" of group "WINDOW", likewise.
    bool WriteLanguage(const QString& language, QString& reason);
    bool WriteNetwork(const Network& network, QString& reason);

    const QString& fileName() const { return fileName_; }

    // The production file: QSettings("Quadrel", "Quadrel") in native format.
    static QString DefaultFileName();

    // Whole decimal numbers that fit the type; anything else is absent.
    static std::optional<int16_t> ParseInt16(const QString& text);
    static std::optional<int32_t> ParseInt32(const QString& text);
    // "true"/"false" in any case, or a whole number (non-zero is true).
    static std::optional<bool> ParseBool(const QString& text);

private:
    struct Entry {
        QString group;
        QString key;
        QString value;
    };
    bool Store(std::initializer_list<Entry> entries, QString& reason);

    QString fileName_;
};

} // namespace quadrel
