// quadrel-ctl: the matrix switchers from scripts and scheduled jobs, on the
// same core as the desktop program, without a window.
#include "ctl/CtlCommand.h"
#include "ctl/OwnerClient.h"
#include "ctl/Report.h"
#include "ctl/Session.h"
#include "ctl/TokenCommand.h"
#include "link/qt/SignalWatcher.h"
#include "model/LocalFileNames.h"
#include "model/PortSettings.h"
#include "model/TokenFile.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>
#include <unistd.h>

namespace {

// A file name in the text comes out as the bytes it was given as.
void Print(FILE* to, const QString& text) {
    std::fputs(quadrel::LocalFileNames::Encode(text).constData(), to);
    std::fflush(to);
}

} // namespace

int main(int argc, char** argv) {
    using namespace quadrel::ctl;
    // Before any thread exists, so the signals reach the watcher below.
    quadrel::SignalWatcher::Block();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quadrel"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quadrel"));

    // Taken as bytes: a file name that is not UTF-8 names that file and no
    // other.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << quadrel::LocalFileNames::Decode(QByteArray(argv[i]));
    }
    if (TokenCommand::Is(arguments)) {
        const TokenCommand::Result r =
            TokenCommand::Run(arguments, quadrel::TokenFile::DefaultFileName());
        Print(stdout, r.out);
        Print(stderr, r.err);
        return r.status;
    }
    CtlCommand command;
    QString error;
    if (!CtlCommand::Parse(arguments, command, error)) {
        Print(stderr, QStringLiteral("quadrel-ctl: %1\n").arg(error));
        return Code(ExitStatus::Usage);
    }
    if (command.kind == CtlCommand::Kind::Help) {
        Print(stdout, CtlCommand::Help());
        return 0;
    }
    if (command.kind == CtlCommand::Kind::Version) {
        Print(stdout, QStringLiteral("quadrel-ctl %1\n").arg(QStringLiteral(QUADREL_VERSION)));
        return 0;
    }

    Session session(command, quadrel::PortFolders::FromEnvironment(),
                    quadrel::PortSettings::DefaultFileName());
    if (::isatty(STDERR_FILENO) == 1) {
        session.console().setProgress(
            [](const QString& line) { Print(stderr, QStringLiteral("... %1\n").arg(line)); });
    }
    // Ended by Ctrl+C or a job scheduler: leave the waits, close the port
    // and its lock file on the way out.
    int signalNumber = 0;
    int signalCount = 0;
    quadrel::SignalWatcher watcher(
        [&session, &signalNumber, &signalCount](int signal) {
            signalNumber = signal;
            ++signalCount;
            session.Interrupt();
        },
        &app);

    // The program that holds the port carries the command out; only a free
    // port is opened here.
    std::optional<Session::Outcome> through;
    const bool fileOnly =
        command.kind == CtlCommand::Kind::SceneList || command.kind == CtlCommand::Kind::SceneShow;
    if (const auto port =
            fileOnly ? std::nullopt
                     : OwnerClient::PortOf(command, quadrel::PortSettings::DefaultFileName())) {
        OwnerClient owner(session.console(), [&signalCount] { return signalCount; });
        through = owner.Run(*port, command, arguments);
    }
    const Session::Outcome out = through ? *through : session.Run();
    if (signalNumber == 0) {
        // Come while the event loop did not run: still pending.
        signalNumber = quadrel::SignalWatcher::Pending();
    }
    const int code = signalNumber != 0 ? 128 + signalNumber : Code(out.status);
    if (signalNumber != 0) {
        Print(stderr,
              QStringLiteral("quadrel-ctl: interrupted%1\n")
                  .arg(out.message.isEmpty() ? QString() : QStringLiteral(": ") + out.message));
    } else if (out.status != ExitStatus::Done) {
        Print(stderr, QStringLiteral("quadrel-ctl: %1\n").arg(out.message));
    }
    if (command.json) {
        QJsonObject json = out.result;
        json.insert("status", code);
        if (code != 0 && !out.message.isEmpty()) {
            json.insert("error", out.message);
        }
        Print(stdout, QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented)));
    } else if (!out.result.isEmpty()) {
        Print(stdout, Report::Text(out.result) + QLatin1Char('\n'));
    }
    // A restore cut short by a signal has still told what it did.
    return code;
}
