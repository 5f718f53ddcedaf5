// quadrel-server: keeps a line of matrix switchers scanned and polled on a
// machine without a screen, and serves it to quadrel-ctl and other programs
// of the same user, as the desktop program does while it runs.
#include "link/qt/SignalWatcher.h"
#include "model/PortSettings.h"
#include "server/Server.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void Say(const QString& line) {
    std::fputs(QStringLiteral("quadrel-server: %1\n").arg(line).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

const char kHelp[] = "Usage: quadrel-server [--port N] [--baud B] [--api] [--api-port P]\n"
                     "                      [--text] [--text-port P] [--listen ADDRESS]\n"
                     "                      [--certificate FILE --key FILE] [--origin URL]...\n"
                     "\n"
                     "Opens serial port N (default: the port chosen in quadrel's options) at\n"
                     "B baud (9600 or 19200; default: the chosen rate), scans the line, reads\n"
                     "the first unit found and polls it, as the desktop program does, and\n"
                     "serves the line to quadrel-ctl and other programs of the same user on\n"
                     "the socket quadrel-com<N> in $XDG_RUNTIME_DIR/quadrel. What happens is\n"
                     "told on standard error. SIGTERM or SIGINT ends it and lets the port go.\n"
                     "\n"
                     "Network clients (off unless turned on here or in quadrel's options):\n"
                     "  --api, --api-port P   the HTTP/JSON API and its event stream (8480)\n"
                     "  --text, --text-port P the text protocol (8481)\n"
                     "  --listen ADDRESS      listen there (default 127.0.0.1, this machine only)\n"
                     "  --certificate FILE, --key FILE  PEM files: HTTPS and TLS\n"
                     "  --origin URL          a web page allowed to call the API (repeatable)\n"
                     "Every request shows a token made with quadrel-ctl token create.\n"
                     "\n"
                     "Exit status: 0 ended by a signal; 2 wrong arguments; 3 no such port;\n"
                     "4 the port is held by another program; 5 the port will not open or\n"
                     "cannot be served.\n";

} // namespace

int main(int argc, char** argv) {
    quadrel::SignalWatcher::Block();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quadrel"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quadrel"));

    const QStringList args = QCoreApplication::arguments().mid(1);
    const quadrel::PortSettings::Values stored =
        quadrel::PortSettings(quadrel::PortSettings::DefaultFileName()).Read();
    quadrel::PortSettings::Network network = stored.network;
    int port = stored.iPortNumber;
    int baud = stored.lBaudRate > 0 ? stored.lBaudRate : 9600;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (arg == QLatin1String("--version")) {
            std::printf("quadrel-server %s\n", QUADREL_VERSION);
            return 0;
        }
        bool ok = false;
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--api") || arg == QLatin1String("--text")) {
            (arg == QLatin1String("--api") ? network.api : network.text) = true;
            continue;
        }
        if ((arg == QLatin1String("--api-port") || arg == QLatin1String("--text-port")) &&
            hasValue) {
            const int value = args[++i].toInt(&ok);
            ok = ok && value > 0 && value < 65536;
            (arg == QLatin1String("--api-port") ? network.apiPort : network.textPort) = value;
            (arg == QLatin1String("--api-port") ? network.api : network.text) = true;
        } else if (arg == QLatin1String("--listen") && hasValue) {
            network.address = args[++i];
            ok = true;
        } else if ((arg == QLatin1String("--certificate") || arg == QLatin1String("--key")) &&
                   hasValue) {
            (arg == QLatin1String("--key") ? network.key : network.certificate) = args[++i];
            ok = true;
        } else if (arg == QLatin1String("--origin") && hasValue) {
            network.origins << args[++i];
            ok = true;
        }
        if (ok) {
            continue;
        }
        if ((arg == QLatin1String("--port") || arg == QLatin1String("--baud")) &&
            i + 1 < args.size()) {
            const int value = args[++i].toInt(&ok);
            (arg == QLatin1String("--port") ? port : baud) = value;
        }
        if (!ok) {
            Say(QStringLiteral("%1 is not understood; --help tells what is").arg(arg));
            return 2;
        }
    }
    if (port < 1 || port > 255) {
        Say(QStringLiteral("no port: give --port 1 to 255, or choose one in quadrel's options"));
        return 2;
    }

    quadrel::server::Server server(quadrel::PortFolders::FromEnvironment(), Say);
    quadrel::SignalWatcher watcher(
        [&server](int signal) {
            Say(QStringLiteral("ending on signal %1").arg(signal));
            server.Stop();
            QCoreApplication::quit();
        },
        &app);
    QString reason;
    if (!server.Start(port, baud, reason)) {
        Say(reason);
        return reason.contains(QLatin1String("no port"))        ? 3
               : reason.contains(QLatin1String("in use by"))    ? 4
               : reason.contains(QLatin1String("neither 9600")) ? 2
                                                                : 5;
    }
    if (!server.OpenDoors(network, reason)) {
        Say(reason);
        server.Stop();
        return 5;
    }
    if (quadrel::SignalWatcher::Pending() != 0) {
        server.Stop();
        return 0;
    }
    return QCoreApplication::exec();
}
