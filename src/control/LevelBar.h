#pragma once

#include <QColor>
#include <QFrame>
#include <QWidget>

#include <cstdint>

namespace quadrel {

// One bar of an output panel: the full-scale border (shp...Border) and the
// solid bar in it (shp...Level), which shares its left edge, top and height.
class LevelBar : public QWidget {
    Q_OBJECT
public:
    LevelBar(const QString& borderName, const QString& levelName, QColor fill,
             QWidget* parent = nullptr);

    // Shows `value` of `fullScale` in black, or, disabled, a light grey
    // border and no bar.
    void ShowValue(int64_t value, int64_t fullScale);
    void ShowDisabled();
    // A value the unit has not reported: the border, and no bar.
    void ShowUnknown();

    QFrame* border() const { return border_; }
    QWidget* level() const { return level_; }

    QSize sizeHint() const override { return {120, 12}; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    // Disabled, with its page, the bar is drawn in a greyed shade of its colour.
    void changeEvent(QEvent* e) override;

private:
    void SetOutline(const QColor& c);
    void SetDescription(const QString& text);
    void Place();

    void SetFill();

    QFrame* border_;
    QWidget* level_;
    QColor fill_;
    int64_t value_ = 0;
    int64_t fullScale_ = 0;
    QColor outline_; // invalid until set
};

} // namespace quadrel
