#pragma once

#include "model/UnitNames.h"

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QFontMetrics;
class QObject;
class QWidget;

namespace quadrel {

// A page that shows the selected unit's ports by their names, and tells which
// port a widget stands for, so the operator can name it there (F2 or the
// context menu). Without names every page shows numbers only, as always.
class NamedPortsView {
public:
    virtual ~NamedPortsView() = default;
    virtual void ShowNames(const UnitNames& names) = 0;
    // The port `widget` shows now; none for a port the unit does not have.
    virtual std::optional<NamedPort> PortOf(const QObject* widget) const = 0;
    // The widgets that take F2 and the context menu.
    virtual QList<QWidget*> NameTargets() const = 0;
    // Where over `widget` (in its coordinates) a name is edited; empty for
    // over the whole widget.
    virtual QRect NameArea(const QWidget* /*widget*/) { return {}; }
    // What hears F2 and the context menu on the targets: a view that makes
    // new targets (a grid fitted to its page) hands them to it too.
    void setNamingFilter(QObject* filter) { namingFilter_ = filter; }
    QObject* namingFilter() const { return namingFilter_; }

private:
    QObject* namingFilter_ = nullptr;
};

// A caption of a port: the number alone when it has no name, else the
// number and the name, elided to `width` pixels. `mnemonic`: the text goes
// on a button or check box, where "&" would mark a shortcut key.
QString NamedCaption(const QString& number, const QString& name, const QFontMetrics& metrics,
                     int width, bool mnemonic);
// Room for a caption of a port on a page: its number and some 24 letters.
int CaptionWidth(const QFontMetrics& metrics);
// A tool tip that shows `text` as typed: tool tips read markup.
QString PlainTip(const QString& text);
// "Input 5: Lectern PC", as a plain tool tip; empty when the port has no name.
QString NamedTip(NamedPort port, const QString& name);
// Sets a widget's tool tip and accessible description, when they change.
void SetNamedTip(QWidget* widget, NamedPort port, const QString& name);

} // namespace quadrel
