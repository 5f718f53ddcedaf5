#pragma once

#include <QWidget>

namespace quadrel {

// The outline around the crosspoint cell under the mouse (shpSelected). It
// lets the mouse through to the cell below.
class HoverFrame : public QWidget {
    Q_OBJECT
public:
    explicit HoverFrame(QWidget* parent = nullptr);

    void setBorderStyle(Qt::PenStyle style);
    Qt::PenStyle borderStyle() const { return style_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::PenStyle style_ = Qt::SolidLine;
};

} // namespace quadrel
