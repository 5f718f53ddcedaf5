#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quadrel {

// What the program prints for --help or --version, read before the
// application object exists, so neither needs a display.
struct EarlyAnswer {
    QString text;
    int exitCode = 0;
};

// The answer to the first of --help (-h) or --version (-v) among the
// arguments after the program's name; nothing when neither is there (every
// other argument is the toolkit's).
std::optional<EarlyAnswer> AnswerBeforeWindow(const QStringList& arguments);

} // namespace quadrel
