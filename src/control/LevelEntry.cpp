#include "control/LevelEntry.h"

#include "control/AudioRules.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace quadrel {

LevelEntry::LevelEntry(QLineEdit* box, bool levelKeysOnly, QObject* parent)
    : QObject(parent), box_(box), levelKeysOnly_(levelKeysOnly) {
    // textEdited comes from the operator only, never from setText.
    connect(box_, &QLineEdit::textEdited, this, [this] { editing_ = true; });
    box_->installEventFilter(this);
}

void LevelEntry::Show(const QString& text) {
    shown_ = text;
    if (!editing_) {
        box_->setText(text);
    }
}

void LevelEntry::Restore() {
    editing_ = false;
    box_->setText(shown_);
}

void LevelEntry::Commit() {
    if (!editing_) {
        return;
    }
    editing_ = false;
    emit committed(box_->text());
}

bool LevelEntry::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_) {
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::ShortcutOverride && !editing_) {
        // Once the value is sent, Ctrl+Z and Ctrl+Shift+Z are the window's:
        // they take back the change to the unit, not the typing.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            key->keyCombination() ==
                QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)) {
            event->ignore();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        // A context menu of the box is no leaving.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            Commit();
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool shortcut =
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (editing_) {
                Commit();
                return true;
            }
            break;
        case Qt::Key_Escape:
            if (editing_) {
                Restore();
                return true;
            }
            break;
        default: {
            const QString text = key->text();
            if (levelKeysOnly_ && !shortcut && text.size() == 1 && text[0].isPrint() &&
                !AudioRules::IsLevelKey(text[0])) {
                return true;
            }
        }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quadrel
