#include "app/UnitPane.h"

#include "app/ContentWidths.h"
#include "app/MemoryRowList.h"
#include "app/Pictures.h"
#include "app/UnitList.h"
#include "app/UnitRowTexts.h"
#include "control/WheelGuard.h"
#include "model/ActivityStatus.h"
#include "model/QuadrelCore.h"
#include "model/Views.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace quadrel {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kTagRole = Qt::UserRole + 1;
constexpr int kLastSeenRole = Qt::UserRole + 2;

} // namespace

UnitPane::UnitPane(QuadrelCore& core, Views& views, QWidget* parent)
    : QWidget(parent), core_(core), views_(views) {
    lstQRD_ = new UnitList(this);
    lstQRD_->setObjectName(QStringLiteral("lstQRD"));
    lstQRD_->setAccessibleName(tr("Units"));
    lstQRD_->setRootIsDecorated(false);
    lstQRD_->setUniformRowHeights(true);
    lstQRD_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstQRD_->setColumnCount(kUnitColumns);
    auto* header = new QTreeWidgetItem;
    for (int c = 0; c < kUnitColumns; ++c) {
        const ListColumn& column = UnitColumns()[static_cast<size_t>(c)];
        header->setText(c, HeaderText(column));
        header->setData(c, kKeyRole, QString::fromLatin1(column.key));
    }
    lstQRD_->setHeaderItem(header);
    new ContentWidths(lstQRD_);
    connect(lstQRD_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { lstQRD_ItemClick(item); });
    connect(lstQRD_, &UnitList::keyMoved, this,
            [this](QTreeWidgetItem* item) { lstQRD_KeyMove(item); });
    lstQRD_->installEventFilter(this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(lstQRD_, 3);
    row->addWidget(BuildMemoryFrame(), 2);
}

UnitPane::~UnitPane() = default;

QWidget* UnitPane::BuildMemoryFrame() {
    fraMemory_ = new QGroupBox(tr("Memory"), this);
    fraMemory_->setObjectName(QStringLiteral("fraMemory"));
    lblLocation_ = new QLabel(tr("Loca&tion"), fraMemory_);
    lblLocation_->setObjectName(QStringLiteral("lblLocation"));
    lblLocation_->setTextFormat(Qt::PlainText);
    cboMemoryLOC_ = new QComboBox(fraMemory_);
    cboMemoryLOC_->setObjectName(QStringLiteral("cboMemoryLOC"));
    lblLocation_->setBuddy(cboMemoryLOC_);
    GuardWheel(cboMemoryLOC_);
    cmdSave_ = new QPushButton(tr("&Save"), fraMemory_);
    cmdSave_->setObjectName(QStringLiteral("cmdSave"));
    cmdLoad_ = new QPushButton(tr("&Load"), fraMemory_);
    cmdLoad_->setObjectName(QStringLiteral("cmdLoad"));
    lstMemory_ = new MemoryRowList(fraMemory_);

    auto* layout = new QGridLayout(fraMemory_);
    layout->addWidget(lblLocation_, 0, 0);
    layout->addWidget(cboMemoryLOC_, 0, 1);
    layout->addWidget(cmdSave_, 0, 2);
    layout->addWidget(cmdLoad_, 0, 3);
    layout->addWidget(lstMemory_, 1, 0, 1, 5);
    layout->setColumnStretch(4, 1);

    // `activated` is the operator's choice only; the pane's own selections
    // run the location click themselves.
    connect(cboMemoryLOC_, &QComboBox::activated, this, [this] { cboMemoryLOC_Click(); });
    connect(cmdSave_, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdLoad_, &QPushButton::clicked, this, [this] { cmdLoad_Click(); });
    return fraMemory_;
}

QTreeWidgetItem* UnitPane::AddUnitRow(const UnitRow& texts) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, texts.text);
    item->setData(0, kKeyRole, texts.key);
    item->setData(0, kTagRole, texts.tag);
    const int id = texts.tag.toInt();
    int at = 0;
    while (at < lstQRD_->topLevelItemCount() &&
           lstQRD_->topLevelItem(at)->data(0, kTagRole).toInt() < id) {
        ++at;
    }
    lstQRD_->insertTopLevelItem(at, item);
    unitRows_.insert(texts.key, item);
    return item;
}

bool UnitPane::IsLastSeen(const QTreeWidgetItem* row) {
    return row != nullptr && row->data(0, kLastSeenRole).toBool();
}

void UnitPane::ShowLastSeenRow(uint8_t id, const QString& name) {
    const UnitRow texts = LastSeenRowOf(id, name);
    if (unitRows_.contains(texts.key)) {
        return; // it has answered meanwhile
    }
    QTreeWidgetItem* item = AddUnitRow(texts);
    item->setData(0, kLastSeenRole, true);
    item->setToolTip(0, texts.iconTip);
    item->setData(0, Qt::AccessibleDescriptionRole, tr("last seen"));
    // Set apart from the units that answer: greyed and slanted.
    QFont slanted = lstQRD_->font();
    slanted.setItalic(true);
    for (int c = 0; c < kUnitColumns; ++c) {
        item->setText(c, texts.cells[static_cast<size_t>(c)]);
        item->setFont(c, slanted);
        item->setForeground(c, lstQRD_->palette().brush(QPalette::Disabled, QPalette::Text));
        if (c > 0) {
            item->setToolTip(c, texts.iconTip);
        }
    }
}

void UnitPane::DropLastSeenRows(int id) {
    for (auto it = unitRows_.begin(); it != unitRows_.end();) {
        QTreeWidgetItem* row = it.value();
        if (IsLastSeen(row) && (id < 0 || row->data(0, kTagRole).toInt() == id)) {
            delete row;
            it = unitRows_.erase(it);
        } else {
            ++it;
        }
    }
}

void UnitPane::ShowUnitRow(const QRDSTA& unit) {
    const UnitRow texts = UnitRowOf(unit);
    QTreeWidgetItem* item = unitRows_.value(texts.key);
    if (item == nullptr || IsLastSeen(item)) {
        // New, or last seen until now: as every row of a unit that answers.
        if (item == nullptr) {
            item = AddUnitRow(texts);
        }
        item->setData(0, kLastSeenRole, QVariant());
        for (int c = 0; c < kUnitColumns; ++c) {
            item->setData(c, Qt::FontRole, QVariant());
            item->setData(c, Qt::ForegroundRole, QVariant());
            if (c > 0) {
                item->setToolTip(c, ToolTipText(UnitColumns()[static_cast<size_t>(c)]));
            }
        }
    }
    item->setIcon(0, Pictures::Icon(texts.iconKey));
    item->setToolTip(0, texts.iconTip);
    item->setData(0, Qt::AccessibleDescriptionRole, Pictures::Describe(texts.iconKey));
    for (int c = 1; c < kUnitColumns; ++c) {
        item->setText(c, texts.cells[static_cast<size_t>(c)]);
    }
    if (const QString own = unitName_ ? unitName_(unit) : QString(); !own.isEmpty()) {
        item->setText(UnitColumnOf(QStringLiteral("NAME")),
                      QStringLiteral("%1 (%2)").arg(own, unit.sName()));
    }
    // The first unit that answers is the selected one: its row the current.
    const auto answered =
        std::count_if(unitRows_.cbegin(), unitRows_.cend(),
                      [](const QTreeWidgetItem* row) { return !IsLastSeen(row); });
    if (answered == 1 && lstQRD_->currentItem() != item) {
        lstQRD_->setCurrentItem(item);
    }
}

void UnitPane::SetUnitIcon(uint8_t id, bool answering) {
    if (QTreeWidgetItem* item = unitRows_.value(UnitKey(id))) {
        const QString key = answering ? QStringLiteral("GreenON") : QStringLiteral("RedON");
        item->setIcon(0, Pictures::Icon(key));
        item->setToolTip(0, answering ? AnsweringText(id) : NotAnsweringText(id));
        item->setData(0, Qt::AccessibleDescriptionRole, Pictures::Describe(key));
    }
}

void UnitPane::SetUnitFirmwareText(uint8_t id, const QString& text) {
    if (QTreeWidgetItem* item = unitRows_.value(UnitKey(id))) {
        item->setText(UnitColumnOf(QStringLiteral("Firmware Version")), text);
    }
}

void UnitPane::ClearUnitList() {
    unitRows_.clear();
    lstQRD_->clear();
}

void UnitPane::ClearForClosedPort() {
    ClearUnitList();
    ClearMemoryLocations();
}

void UnitPane::Enable_lstQRD(bool enabled) {
    lstQRD_->setEnabled(enabled);
    if (enabled && refocusList_) {
        refocusList_ = false;
        if (QApplication::focusWidget() == focusWhileRead_) {
            lstQRD_->setFocus(Qt::OtherFocusReason);
        }
    }
}

// Enter or Space on the current row clicks it, for the keyboard and for
// assistive tools that drive the list by keys.
bool UnitPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstQRD_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            lstQRD_ItemClick(lstQRD_->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The keyboard moved the highlight: that unit is selected as a click
// selects it; when the click is ignored the highlight goes back.
void UnitPane::lstQRD_KeyMove(QTreeWidgetItem* item) {
    if (lstQRD_ItemClick(item)) {
        return;
    }
    const UnitRef selected = core_.model.objSelectedUnit;
    if (QTreeWidgetItem* row = selected ? unitRows_.value(UnitKey(selected->bID())) : nullptr) {
        lstQRD_->setCurrentItem(row);
    }
}

bool UnitPane::lstQRD_ItemClick(QTreeWidgetItem* item) {
    if (item == nullptr || !lstQRD_->isEnabled()) {
        return false;
    }
    basQRD& model = core_.model;
    const UnitRef unit = model.objUnits().Item(item->data(0, kTagRole).toString());
    if (!unit) {
        return false;
    }
    const bool listHadFocus = lstQRD_->hasFocus();
    core_.SelectUnit(unit);
    if (listHadFocus) {
        // Disabling the list moved the focus on; remember where to.
        refocusList_ = true;
        focusWhileRead_ = QApplication::focusWidget();
    }
    return true;
}

} // namespace quadrel
