#include "app/EarlyArguments.h"

#include "app/frmMain.h"

namespace quadrel {

std::optional<EarlyAnswer> AnswerBeforeWindow(const QStringList& arguments) {
    const QString caption = frmMain::Caption(QStringLiteral("Quadrel"), QUADREL_VERSION_MAJOR,
                                             QUADREL_VERSION_MINOR, QUADREL_VERSION_PATCH);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--version" || a == u"-v") {
            return EarlyAnswer{caption + QLatin1Char('\n'), 0};
        }
        if (a == u"--help" || a == u"-h") {
            return EarlyAnswer{
                caption +
                    QStringLiteral(
                        "\nControls audio/video matrix switchers on an RS-232 line.\n\n"
                        "Usage: quadrel [--help | --version]\n\n"
                        "  -h, --help     print this text and end\n"
                        "  -v, --version  print the version and end\n\n"
                        "The port and baud rate are chosen in the Options dialog and kept in\n"
                        "$XDG_CONFIG_HOME/Quadrel/Quadrel.conf; port N may be an alias comN\n"
                        "in $XDG_CONFIG_HOME/Quadrel/ports/. Ctrl+Alt+V opens the line's "
                        "trace.\n"),
                0};
        }
    }
    return std::nullopt;
}

} // namespace quadrel
