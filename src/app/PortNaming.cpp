#include "app/PortNaming.h"

#include "app/NamesDialog.h"
#include "model/QuadrelCore.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

namespace quadrel {

namespace {

QString Hex(int id) {
    return QString::number(id, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

} // namespace

PortNaming::PortNaming(QuadrelCore& core, NamesStore& store, QWidget* window)
    : core_(core), store_(store), window_(window), bar_(new QFrame), barText_(new QLabel(bar_)),
      use_(new QPushButton(tr("&Use them"), bar_)),
      aside_(new QPushButton(tr("&Put them aside"), bar_)),
      dismiss_(new QPushButton(tr("Dismiss"), bar_)) {
    bar_->setObjectName(QStringLiteral("fraNamesBar"));
    bar_->setFrameShape(QFrame::StyledPanel);
    bar_->setAutoFillBackground(true);
    bar_->setBackgroundRole(QPalette::ToolTipBase);
    barText_->setObjectName(QStringLiteral("lblNamesBar"));
    barText_->setTextFormat(Qt::PlainText);
    barText_->setForegroundRole(QPalette::ToolTipText);
    barText_->setWordWrap(true);
    use_->setObjectName(QStringLiteral("cmdUseNames"));
    aside_->setObjectName(QStringLiteral("cmdPutNamesAside"));
    auto* row = new QHBoxLayout(bar_);
    row->setContentsMargins(6, 2, 6, 2);
    row->addWidget(barText_, 1);
    row->addWidget(use_);
    row->addWidget(aside_);
    row->addWidget(dismiss_);
    bar_->hide();
    connect(use_, &QPushButton::clicked, this, [this] {
        if (unit_) {
            Stored(store_.Use(*unit_));
        }
    });
    connect(aside_, &QPushButton::clicked, this, [this] {
        if (unit_) {
            Stored(store_.PutAside(*unit_));
        }
    });
    connect(dismiss_, &QPushButton::clicked, this, [this] {
        notice_.clear();
        ShowBar();
    });
    notice_ = store_.problem();
    ShowBar();
}

PortNaming::~PortNaming() {
    CloseEditor();
    delete bar_.data();
}

void PortNaming::AddView(NamedPortsView& view) {
    views_.push_back(&view);
    view.setNamingFilter(this);
    for (QWidget* target : view.NameTargets()) {
        target->installEventFilter(this);
    }
    view.ShowNames(shown_);
}

void PortNaming::Refresh() {
    const UnitRef unit = core_.model.objSelectedUnit;
    unit_ = IsUnitConnected(unit) ? std::optional(Report(*unit)) : std::nullopt;
    const UnitNames* exact = unit_ ? store_.Exact(*unit_) : nullptr;
    shown_ = exact != nullptr ? *exact : UnitNames{};
    for (NamedPortsView* view : views_) {
        view->ShowNames(shown_);
    }
    ShowBar();
}

UnitReport PortNaming::Report(const QRDSTA& unit) const {
    return UnitReport::Of(unit, core_.link.port().portNumber());
}

QString PortNaming::UnitNameOf(const QRDSTA& unit) const {
    const UnitNames* names = store_.Exact(Report(unit));
    return names != nullptr ? names->unit : QString();
}

bool PortNaming::UseNames(const UnitNames& names) {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!unit_ || !IsUnitConnected(unit) || Report(*unit) != *unit_) {
        return false;
    }
    const bool kept = store_.SetNames(*unit_, names);
    Stored(kept);
    return kept;
}

void PortNaming::ShowBar() {
    const NamesEntry* offered = unit_ ? store_.Offered(*unit_) : nullptr;
    if (offered != nullptr) {
        barText_->setText(tr("Unit %1 reports %2; names were made for %3")
                              .arg(Hex(unit_->id), unit_->Words(), offered->report.Words()));
    } else {
        barText_->setText(notice_);
    }
    use_->setVisible(offered != nullptr);
    aside_->setVisible(offered != nullptr);
    dismiss_->setVisible(offered == nullptr);
    bar_->setVisible(offered != nullptr || !notice_.isEmpty());
}

void PortNaming::Stored(bool ok) {
    if (!ok) {
        notice_ = store_.problem();
    }
    Refresh();
}

bool PortNaming::Reading() const {
    return core_.model.blLoadingStatus || core_.model.blLoadingMemory;
}

std::optional<NamedPort> PortNaming::PortOf(QObject* widget) const {
    // Only the unit whose names the pages show, and not while it is read; a
    // scan of the rest of the line leaves it alone.
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!unit_ || !IsUnitConnected(unit) || Report(*unit) != *unit_ || Reading()) {
        return std::nullopt;
    }
    for (const NamedPortsView* view : views_) {
        if (const auto port = view->PortOf(widget)) {
            return port;
        }
    }
    return std::nullopt;
}

bool PortNaming::EditName(QWidget* widget) {
    const auto port = PortOf(widget);
    if (!port) {
        return false;
    }
    CloseEditor();
    edited_ = *port;
    editedUnit_ = *unit_;
    editedWidget_ = widget;
    QWidget* host = widget->window();
    editor_ = new QLineEdit(host);
    editor_->setObjectName(QStringLiteral("txtPortName"));
    editor_->setAccessibleName(tr("Name of %1").arg(PortCaption(*port).toLower()));
    editor_->setPlaceholderText(PortCaption(*port));
    // Characters beyond the first plane take two units here; the name is cut
    // to its length in characters when kept.
    editor_->setMaxLength(2 * kMaxPortNameLength);
    editor_->setText(NameOf(shown_, *port));
    // Over the port's widget (or the part of it its view names), wide enough
    // for a name, within the window.
    QRect area;
    for (NamedPortsView* view : views_) {
        if (view->PortOf(widget)) {
            area = view->NameArea(widget);
        }
    }
    if (area.isEmpty()) {
        area = widget->rect();
    }
    QRect at(widget->mapTo(host, area.topLeft()), area.size());
    at.setWidth(std::max(at.width(), editor_->fontMetrics().averageCharWidth() * 28));
    const int height = editor_->sizeHint().height();
    if (at.height() < 3 * height) {
        at.translate(0, std::max(0, (at.height() - height) / 2));
    }
    at.setHeight(height);
    at.moveLeft(std::max(0, std::min(at.left(), host->width() - at.width())));
    at.moveTop(std::max(0, std::min(at.top(), host->height() - at.height())));
    editor_->setGeometry(at);
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::editingFinished, this, [this] { Commit(); });
    editor_->show();
    editor_->raise();
    editor_->selectAll();
    editor_->setFocus(Qt::OtherFocusReason);
    return true;
}

void PortNaming::Commit() {
    if (!editor_) {
        return;
    }
    const QString text = editor_->text();
    CloseEditor();
    // The unit went or changed while the editor was open: the name is not its.
    if (unit_ == editedUnit_) {
        Stored(store_.SetName(editedUnit_, edited_, text));
    }
}

void PortNaming::CloseEditor() {
    if (!editor_) {
        return;
    }
    QLineEdit* editor = editor_;
    editor_ = nullptr;
    const bool hadFocus = editor->hasFocus();
    disconnect(editor, nullptr, this, nullptr);
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    if (hadFocus && editedWidget_) {
        editedWidget_->setFocus(Qt::OtherFocusReason);
    }
}

bool PortNaming::eventFilter(QObject* watched, QEvent* event) {
    if (editor_ && watched == editor_) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            CloseEditor();
            return true;
        }
        if (event->type() == QEvent::FocusOut) {
            Commit();
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
            return Refused() || EditName(static_cast<QWidget*>(watched));
        }
    } else if (event->type() == QEvent::ContextMenu && unit_) {
        if (Refused()) {
            return true;
        }
        ContextMenu(static_cast<QWidget*>(watched),
                    static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool PortNaming::Refused() {
    const QString reason = refusal_ ? refusal_() : QString();
    if (!reason.isEmpty()) {
        core_.activity.Act(reason);
    }
    return !reason.isEmpty();
}

void PortNaming::ContextMenu(QWidget* widget, const QPoint& at) {
    QMenu menu(widget);
    if (const auto port = PortOf(widget)) {
        QAction* name = menu.addAction(tr("&Name %1…").arg(PortCaption(*port).toLower()));
        name->setShortcut(QKeySequence(Qt::Key_F2));
        connect(name, &QAction::triggered, this, [this, widget] { EditName(widget); });
    }
    connect(menu.addAction(tr("Names &table…")), &QAction::triggered, this,
            [this] { ShowTable(); });
    menu.exec(at);
}

void PortNaming::ShowTable() {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!unit_ || !IsUnitConnected(unit) || Report(*unit) != *unit_ || Reading()) {
        return;
    }
    const UnitReport report = *unit_;
    const QString title = shown_.unit.isEmpty()
                              ? tr("Names of unit %1").arg(Hex(report.id))
                              : tr("Names of unit %1 (%2)").arg(Hex(report.id), shown_.unit);
    NamesDialog dialog(title, shown_, {report.inputs, report.outputs, unit->iMemoryCount()},
                       window_);
    if (tableHook_) {
        tableHook_(dialog);
    } else {
        dialog.exec();
    }
    if (dialog.result() == QDialog::Accepted && unit_ == report) {
        Stored(store_.SetNames(report, dialog.names()));
    }
}

} // namespace quadrel
