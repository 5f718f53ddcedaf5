#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

namespace quadrel {

// The text box of a level or delay row. What the operator types stays theirs
// until Enter or leaving the box hands it over once (`committed`), or Escape
// puts back the value the group shows; until then no redraw writes the box.
// The level boxes take digits, "." and backspace from the keyboard; keys
// that write nothing, and shortcuts such as paste, pass.
class LevelEntry : public QObject {
    Q_OBJECT
public:
    LevelEntry(QLineEdit* box, bool levelKeysOnly, QObject* parent);

    // The value the group shows: into the box at once unless it is being edited.
    void Show(const QString& text);
    // Ends an edit and puts the shown value back.
    void Restore();
    bool Editing() const { return editing_; }

signals:
    void committed(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Commit();

    QLineEdit* box_;
    bool levelKeysOnly_;
    bool editing_ = false;
    QString shown_;
};

} // namespace quadrel
