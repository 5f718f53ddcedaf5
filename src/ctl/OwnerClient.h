#pragma once

#include "ctl/Console.h"
#include "ctl/CtlCommand.h"
#include "ctl/Session.h"

#include <QStringList>

#include <functional>
#include <optional>

namespace quadrel::ctl {

// quadrel-ctl through the program that owns the line: the window or
// quadrel-server runs the command on its core and answers as quadrel-ctl
// itself would. Nothing when no program serves the port; quadrel-ctl then
// opens the port itself.
class OwnerClient {
public:
    // `interrupted` counts the signals: the first cancels the owner's run,
    // which still answers with its report; a second stops waiting.
    OwnerClient(Console& console, std::function<int()> interrupted)
        : console_(console), interrupted_(std::move(interrupted)) {}

    std::optional<Session::Outcome> Run(int port, const CtlCommand& command,
                                        const QStringList& arguments);

    // The port the command is for: --port, or the one the settings choose.
    static std::optional<int> PortOf(const CtlCommand& command, const QString& settingsFile);

private:
    Console& console_;
    std::function<int()> interrupted_;
};

} // namespace quadrel::ctl
