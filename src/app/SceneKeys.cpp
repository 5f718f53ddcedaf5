#include "app/SceneKeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace quadrel::SceneKeys {

namespace {

QString Words(const char* text) {
    return QCoreApplication::translate("SceneKeys", text);
}

QString Plain(const QString& caption) {
    return caption.section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
}

} // namespace

QString Holder(const QWidget& window, const std::vector<Scene>& scenes, const QKeySequence& keys,
               const QString& scene) {
    if (keys.isEmpty()) {
        return {};
    }
    const QKeyCombination key = keys[0];
    const Qt::KeyboardModifiers held = key.keyboardModifiers() & ~Qt::KeypadModifier;
    const bool functionKey = key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35;
    // The grid and the lists move with these, with Ctrl too.
    const bool moving = (key.key() >= Qt::Key_Home && key.key() <= Qt::Key_PageDown) ||
                        key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab ||
                        key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter ||
                        key.key() == Qt::Key_Escape || key.key() == Qt::Key_Space ||
                        key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete;
    if (moving || (!functionKey && (held & ~Qt::ShiftModifier) == Qt::NoModifier)) {
        return Words(QT_TRANSLATE_NOOP(
            "SceneKeys", "the pages' own keys (add Ctrl or Alt to a letter or digit)"));
    }
    if (keys == QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V)) {
        return Words(QT_TRANSLATE_NOOP("SceneKeys", "the log window"));
    }
    for (const Scene& other : scenes) {
        if (other.name != scene &&
            QKeySequence::fromString(other.shortcut, QKeySequence::PortableText) == keys) {
            //: the holder of a shortcut: another scene
            return Words(QT_TRANSLATE_NOOP("SceneKeys", "scene “%1”")).arg(other.name);
        }
    }
    // The window's own entries before the text boxes' keys: they name what
    // the keys do there.
    for (const QAction* action : window.findChildren<QAction*>()) {
        if (action->objectName() != QLatin1String("actScene") &&
            (action->shortcuts().contains(keys) ||
             (action->menu() != nullptr && QKeySequence::mnemonic(action->text()) == keys))) {
            return Plain(action->text());
        }
    }
    for (const QKeySequence::StandardKey editing :
         {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::SelectAll,
          QKeySequence::Undo, QKeySequence::Redo, QKeySequence::ZoomIn, QKeySequence::ZoomOut}) {
        if (QKeySequence::keyBindings(editing).contains(keys)) {
            return Words(QT_TRANSLATE_NOOP("SceneKeys", "the keys of text boxes and the grid"));
        }
    }
    for (const QShortcut* shortcut : window.findChildren<QShortcut*>()) {
        if (shortcut->keys().contains(keys)) {
            return Words(QT_TRANSLATE_NOOP("SceneKeys", "the keys of text boxes and the grid"));
        }
    }
    // A letter underlined in a caption takes Alt with it.
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        QString caption;
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            caption = button->text();
        } else if (const auto* label = qobject_cast<const QLabel*>(widget);
                   label != nullptr && label->buddy() != nullptr) {
            caption = label->text();
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            caption = group->title();
        }
        if (!caption.isEmpty() && QKeySequence::mnemonic(caption) == keys) {
            return Plain(caption);
        }
    }
    return {};
}

} // namespace quadrel::SceneKeys
