#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace quadrel {

// The per-user settings, group "COM": the port number and baud rate the
// program opens at start-up, and a flag that nothing consults. Values are
// decimal text; a value that is not a whole number, or does not fit its
// type, reads as absent, so start-up falls back to the options dialog.
class PortSettings {
public:
    // `fileName` is the settings file, normally $XDG_CONFIG_HOME/Quadrel/Quadrel.conf.
    explicit PortSettings(QString fileName);

    struct Values {
        bool blAutoBaudRate = false;
        int16_t iPortNumber = 0;
        int32_t lBaudRate = 0;
    };
    // Absent or unreadable values give 0, 0 and false.
    Values Read() const;
    // "PORT NUMBER" then "BAUD RATE"; only a successful OK in Options writes.
    void Write(int16_t portNumber, int32_t baudRate);

    const QString& fileName() const { return fileName_; }

    // The production file: QSettings("Quadrel", "Quadrel") in native format.
    static QString DefaultFileName();

    // Whole decimal numbers that fit the type; anything else is absent.
    static std::optional<int16_t> ParseInt16(const QString& text);
    static std::optional<int32_t> ParseInt32(const QString& text);
    // "true"/"false" in any case, or a whole number (non-zero is true).
    static std::optional<bool> ParseBool(const QString& text);

private:
    QString fileName_;
};

} // namespace quadrel
