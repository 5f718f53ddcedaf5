// Quadrel: controls audio/video matrix switchers on an RS-232 line.
#include "app/EarlyArguments.h"
#include "app/Language.h"
#include "app/QtMessageBoxes.h"
#include "app/SystemLogClock.h"
#include "app/basMain.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "link/qt/SignalWatcher.h"
#include "model/NamesStore.h"
#include "model/PortSettings.h"
#include "model/ProgramState.h"
#include "model/RolesFile.h"

#include <QApplication>
#include <QDialog>
#include <QIcon>

#include <cstdio>

int main(int argc, char** argv) {
    // --help and --version answer before the application object, which would
    // need a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (const auto answer = quadrel::AnswerBeforeWindow(arguments)) {
        std::fputs(answer->text.toLocal8Bit().constData(), stdout);
        return answer->exitCode;
    }
    // Before any thread exists, so the signals reach the watcher below.
    quadrel::SignalWatcher::Block();
    QApplication app(argc, argv);
    // Ended by the desktop or a terminal (SIGTERM, SIGINT, SIGHUP): close the
    // window and the port as Exit would, so no lock file is left behind.
    // A dialog open before the window's own event loop (the start-up
    // Options) is closed too, or the quit would wait for it.
    bool ended = false;
    quadrel::SignalWatcher watcher(
        [&ended](int) {
            ended = true;
            for (int i = 0; i < 8 && QApplication::activeModalWidget() != nullptr; ++i) {
                QWidget* modal = QApplication::activeModalWidget();
                if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                    dialog->reject();
                } else {
                    modal->close();
                }
            }
            QApplication::quit();
        },
        &app);
    QApplication::setApplicationName(QStringLiteral("Quadrel"));
    QApplication::setOrganizationName(QStringLiteral("Quadrel"));
    // Wayland finds the window's icon through the desktop entry of this name;
    // X11 takes the icon from the theme the install put it in.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUADREL_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(QUADREL_APP_ID)));

    // Before the first caption is made: the choice in Options, else the
    // desktop's language.
    quadrel::Translations translations;
    const QString kept =
        quadrel::PortSettings(quadrel::PortSettings::DefaultFileName()).Read().language;
    translations.Install(quadrel::TranslationFor(
        quadrel::ParseLanguage(kept).value_or(quadrel::LanguageChoice::System), QLocale::system()));

    quadrel::basCOMM comm(quadrel::PortFolders::FromEnvironment());
    quadrel::QtSerialPort port(comm);
    quadrel::QtTimerFactory timers;
    quadrel::QtMessageBoxes messages;
    quadrel::SystemLogClock clock;
    quadrel::basMain program(
        {comm, port, timers, messages, clock, quadrel::PortSettings::DefaultFileName(),
         QCoreApplication::applicationDirPath(), [&port] { return port.lastError(); },
         quadrel::ProgramState::DefaultFileName(), quadrel::NamesStore::DefaultFileName(),
         quadrel::RolesFile::DefaultFileName()});
    program.DrawAfterFrames(std::chrono::milliseconds(1));
    if (!program.Main() || ended) {
        return 0;
    }
    return QApplication::exec();
}
