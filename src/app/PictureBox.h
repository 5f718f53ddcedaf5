#pragma once

#include <QWidget>

namespace quadrel {

// An image control showing one keyed picture, drawn at the screen's own
// resolution. Screen readers get its name and what the picture shows.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setKey(const QString& key);
    const QString& key() const { return key_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString key_;
};

} // namespace quadrel
