#pragma once

#include <QAbstractButton>

namespace quadrel {

// One crosspoint cell of the switch grid (imgQRD). It is a button, so a
// click, a press and keyboard or screen-reader activation all reach it; the
// picture it shows is chosen by the switch view.
class CrosspointCell : public QAbstractButton {
    Q_OBJECT
public:
    CrosspointCell(int index, QWidget* parent = nullptr);

    int index() const { return index_; }
    void setKey(const QString& key);
    const QString& key() const { return key_; }
    bool isHovered() const { return hovered_; }

signals:
    // The mouse came over the cell, and left it again.
    void hoverStarted(int index);
    void hoverEnded(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void EndHover();

    int index_;
    QString key_;
    bool hovered_ = false;
};

} // namespace quadrel
