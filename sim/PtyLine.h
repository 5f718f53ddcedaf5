#pragma once

#include "sim/ProtocolEngine.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace quadrel::sim {

// The emulated line on a pseudo-terminal: the program opens the slave side,
// the engine hears what arrives on the master side and answers through it.
// The terminal is made raw from the start, and the slave stays open here too,
// so a program can come, go and come back without the master seeing EIO.
class PtyLine : public QObject {
public:
    explicit PtyLine(ProtocolEngine& engine, QObject* parent = nullptr);
    ~PtyLine() override;

    bool open(QString& error);
    QString slavePath() const { return slavePath_; }

private:
    void readAvailable();
    void writeAll(const Bytes& bytes);

    ProtocolEngine& engine_;
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace quadrel::sim
