#include "app/Pictures.h"
#include "app/ImageKeys.h"
#include "support/QtPrinters.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace quadrel;

namespace {

QImage Render(const QString& key, int size = 26) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Pictures::Paint(p, QRectF(0, 0, size, size), key);
    return image;
}

bool HasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

TEST(Pictures, EveryKeyOfTheViewsHasItsOwnPicture) {
    QStringList wanted;
    for (const QString& k : ImageKeys().SwitchKeys) {
        wanted << k;
    }
    for (const QString& k : ImageKeys().PlugKeys) {
        wanted << k;
    }
    wanted << "GreenON"
           << "RedON"
           << "Mute"
           << "Unmute";
    for (const QString& key : wanted) {
        EXPECT_TRUE(Pictures::Has(key)) << key.toStdString();
        EXPECT_TRUE(HasInk(Render(key))) << key.toStdString();
        EXPECT_FALSE(Pictures::Describe(key).isEmpty()) << key.toStdString();
    }
    EXPECT_FALSE(Pictures::Has("NoSuchKey"));
    EXPECT_FALSE(HasInk(Render("NoSuchKey")));
    EXPECT_TRUE(Pictures::Icon("NoSuchKey").isNull());
}

TEST(Pictures, StatesThatMatterLookDifferent) {
    const QStringList cells = {"OnAOnV_UP", "OnAOffV_UP", "OffAOnV_UP", "OffAOffV_UP",
                               "OnANoV_UP", "NoANoV_UP",  "OnAOnV_DN",  "OffAOffV_DN"};
    for (int i = 0; i < cells.size(); ++i) {
        for (int j = i + 1; j < cells.size(); ++j) {
            EXPECT_NE(Render(cells[i]), Render(cells[j]))
                << cells[i].toStdString() << " vs " << cells[j].toStdString();
        }
    }
    EXPECT_NE(Render("VideoInPlugOn", 16), Render("VideoInUnplugOn", 16));
    EXPECT_NE(Render("VideoInUnplugOn", 16), Render("VideoInUnknowPlugOn", 16));
    EXPECT_NE(Render("AudioInPlugOn", 16), Render("VideoInPlugOn", 16));
    EXPECT_NE(Render("GreenON", 16), Render("RedON", 16));
    EXPECT_NE(Render("Mute", 16), Render("Unmute", 16));
    EXPECT_EQ(Pictures::Describe("OnANoV_DN"), "audio routed, video not switchable, pressed");
    EXPECT_EQ(Pictures::Describe("AudioOutUnplugOn"), "unplugged");
}

TEST(Pictures, DrawnAtTheScreensPixelRatio) {
    const QPixmap sharp = Pictures::Pixmap("OnAOnV_UP", QSize(26, 26), 2.0);
    EXPECT_EQ(sharp.size(), QSize(52, 52));
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(26, 26));
    const QPixmap fromIcon = Pictures::Icon("GreenON").pixmap(QSize(16, 16), 3.0);
    EXPECT_EQ(fromIcon.size(), QSize(48, 48));
    EXPECT_TRUE(HasInk(fromIcon.toImage()));
}
