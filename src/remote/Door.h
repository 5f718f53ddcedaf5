#pragma once

#include "ctl/CtlCommand.h"
#include "model/StaffRules.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace quadrel::remote {

// What a network client asked for, as the command quadrel-ctl would run,
// or why it is no command. `status` is quadrel-ctl's exit status for the
// text protocol; `http` the answer's code for the API.
struct Asked {
    std::shared_ptr<ctl::CtlCommand> command;
    int status = 0;
    int http = 200;
    QString error;
    explicit operator bool() const { return command != nullptr; }
};

// The door between the network and the line: requests become commands of
// quadrel-ctl's grammar (and so pass its checks), and a command passes only
// if the client's role allows every part of it. Nothing here sends.
namespace Door {

// POST /api/v1/<segments> with a JSON body, the segments after "v1".
Asked FromHttp(const QStringList& segments, const QByteArray& body);
// One line of the text protocol: quadrel-ctl's arguments, words split on
// blanks, "double quotes" around a word with blanks.
Asked FromLine(const QByteArray& line);
// The words of a line; false for an unclosed quote or a control character.
bool SplitWords(const QByteArray& line, QStringList& words);

// Whether `role` may have `command` run for it over the network; the
// refusal (status 2 with http 400 or 403) when not. Files on the owner's
// machine, its port and its trace are never the network's to name.
Asked Admit(Role role, const StaffRules& staff, std::shared_ptr<ctl::CtlCommand> command);

// The HTTP code that quadrel-ctl's exit status stands for.
int HttpStatus(int exitStatus);

} // namespace Door

} // namespace quadrel::remote
