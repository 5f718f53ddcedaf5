#include "app/Pictures.h"
#include "app/ImageKeys.h"
#include "support/QtPrinters.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <set>

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

// Every key the views use has a picture and a description; a routed part
// that cannot be switched shows as not switchable.
TEST(Pictures, EveryKeyOfTheViewsHasItsOwnPicture) {
    const ImageKeyTables& t = ImageKeys();
    std::set<QString> wanted(t.SwitchKeys.begin(), t.SwitchKeys.end());
    EXPECT_EQ(wanted.size(), 18u);
    wanted.insert(t.PlugKeys.begin(), t.PlugKeys.end());
    wanted.insert({"GreenON", "RedON", "Mute", "Unmute"});
    EXPECT_EQ(wanted.size(), 18u + 12u + 4u);
    for (const QString& key : wanted) {
        EXPECT_TRUE(Pictures::Has(key)) << key.toStdString();
        EXPECT_TRUE(HasInk(Render(key))) << key.toStdString();
        EXPECT_FALSE(Pictures::Describe(key).isEmpty()) << key.toStdString();
    }
    EXPECT_FALSE(Pictures::Has("NoSuchKey"));
    EXPECT_FALSE(HasInk(Render("NoSuchKey")));
    EXPECT_TRUE(Pictures::Icon("NoSuchKey").isNull());
}

TEST(Pictures, StatesThatMatterLookDifferentAndAreDrawnAtThePixelRatio) {
    const QStringList cells = {"OnAOnV_UP", "OnAOffV_UP", "OffAOnV_UP", "OffAOffV_UP",
                               "OnANoV_UP", "NoANoV_UP",  "OnAOnV_DN",  "OffAOffV_DN"};
    for (int i = 0; i < cells.size(); ++i) {
        for (int j = i + 1; j < cells.size(); ++j) {
            EXPECT_NE(Render(cells[i]), Render(cells[j]))
                << cells[i].toStdString() << " vs " << cells[j].toStdString();
        }
    }
    const std::pair<const char*, const char*> pairs[] = {{"VideoInPlugOn", "VideoInUnplugOn"},
                                                         {"VideoInUnplugOn", "VideoInUnknowPlugOn"},
                                                         {"AudioInPlugOn", "VideoInPlugOn"},
                                                         {"GreenON", "RedON"},
                                                         {"Mute", "Unmute"}};
    for (const auto& [a, b] : pairs) {
        EXPECT_NE(Render(a, 16), Render(b, 16)) << a;
    }
    EXPECT_EQ(Pictures::Describe("OnANoV_DN"), "audio routed, video not switchable, pressed");

    const QPixmap sharp = Pictures::Pixmap("OnAOnV_UP", QSize(26, 26), 2.0);
    EXPECT_EQ(sharp.size(), QSize(52, 52));
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(26, 26));
    const QPixmap fromIcon = Pictures::Icon("GreenON").pixmap(QSize(16, 16), 3.0);
    EXPECT_EQ(fromIcon.size(), QSize(48, 48));
    EXPECT_TRUE(HasInk(fromIcon.toImage()));
}
