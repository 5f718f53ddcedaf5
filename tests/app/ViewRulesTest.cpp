#include "app/GridGeometry.h"
#include "app/ImageKeys.h"
#include "app/Pictures.h"
#include "app/WindowFit.h"
#include "model/UnitNames.h"
#include "support/QtPrinters.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <set>

using namespace quadrel;

// The pitch follows the font's digits; at any pitch the bars stay on the
// surface and no bar runs into the next cell.
TEST(GridGeometry, PitchFollowsTheFontAndBarsStayOnTheSurface) {
    EXPECT_EQ(grid::PitchFor(24, 15), 32); // 9 points: three digits in 23 or 24 pixels
    EXPECT_EQ(grid::PitchFor(31, 19), 39); // 12 points: 31 pixels
    EXPECT_EQ(grid::PitchFor(20, 30), 38); // a tall font
    for (const int pitch : {grid::kPitch, 41}) {
        const QRect surface(0, 0, grid::BackgroundSize(pitch), grid::BackgroundSize(pitch));
        EXPECT_TRUE(surface.contains(grid::RightBarRect(63, pitch))) << pitch;
        EXPECT_TRUE(surface.contains(grid::BelowBarRect(63, pitch))) << pitch;
        EXPECT_EQ(grid::RightBarRect(3, pitch).right() + 1, grid::CellRect(4, pitch).left());
        EXPECT_TRUE(grid::FrameRect(9, pitch).contains(grid::CellRect(9, pitch)));
    }
}

// As many ports as the page holds: never fewer than 8, never more than the
// unit has beyond 8; and a wide window's cells and bars on the surface.
TEST(GridGeometry, SideFitsThePageAndTheUnit) {
    const int pitch = grid::kPitch;
    EXPECT_EQ(grid::SideFor(grid::BackgroundSize(pitch), pitch, 255), 8);
    EXPECT_EQ(grid::SideFor(100, pitch, 255), 8); // a small page
    EXPECT_EQ(grid::SideFor(grid::BackgroundSize(pitch, 21) + 31, pitch, 255), 21);
    EXPECT_EQ(grid::SideFor(grid::BackgroundSize(pitch, 21), pitch, 12), 12); // the unit's 12
    EXPECT_EQ(grid::SideFor(grid::BackgroundSize(pitch, 21), pitch, 4), 8);   // 8 the least
    EXPECT_EQ(grid::SideFor(100000, pitch, 255), grid::kMaxSide);
    const grid::Shape shape{21, 9};
    const QRect surface(0, 0, grid::BackgroundSize(pitch, 21), grid::BackgroundSize(pitch, 9));
    const int last = shape.cells() - 1;
    EXPECT_TRUE(surface.contains(grid::RightBarRect(last, pitch, 21)));
    EXPECT_TRUE(surface.contains(grid::BelowBarRect(last, pitch, 21)));
    EXPECT_EQ(grid::CellOf(30, 12, 10, 5, shape), grid::Cell(19, 6, 21));
    EXPECT_EQ(grid::CellOf(32, 12, 10, 5, shape), std::nullopt); // off the window's right
    EXPECT_EQ(grid::RowWireCells(19, 0, 8, shape), (std::vector<int>{19, 20}));
}

// Go to: by number with or without a word, or by the one name that fits.
TEST(FindPort, NumbersWordsAndNames) {
    UnitNames names;
    SetName(names, {NameKind::Output, 3}, QStringLiteral("Projector left"));
    SetName(names, {NameKind::Output, 4}, QStringLiteral("Projector right"));
    SetName(names, {NameKind::Input, 2}, QStringLiteral("Lectern PC"));
    SetName(names, {NameKind::Input, 9}, QStringLiteral("PC"));
    const auto in = [](int n) { return std::optional(NamedPort{NameKind::Input, n}); };
    const auto out = [](int n) { return std::optional(NamedPort{NameKind::Output, n}); };
    const std::pair<const char*, std::optional<NamedPort>> cases[] = {
        {"Input 12", in(12)},   {"in12", in(12)},
        {"I 7", in(7)},         {"output 5", out(5)},
        {"o5", out(5)},         {"5", out(5)},
        {"o17", std::nullopt},  {"input 0", std::nullopt},
        {"i 21", std::nullopt}, {"projector left", out(3)},
        {"right", out(4)},      {"projector", std::nullopt},
        {"pc", in(9)},          {"lect", in(2)},
        {"", std::nullopt},     {"nothing", std::nullopt}};
    for (const auto& [text, port] : cases) {
        EXPECT_EQ(FindPort(names, QString::fromUtf8(text), 20, 16), port) << text;
    }
    // A name of a port past the unit's counts is no match.
    EXPECT_EQ(FindPort(names, QStringLiteral("PC"), 8, 16), in(2));
}

// Screens' available areas; the frame allowance is 4 left/right/bottom, 32 above.
TEST(WindowFit, FirstPlaceAndRememberedRectangles) {
    const QSize minimum(900, 560);
    // A first start: preferred where there is room, else the screen less the frame; centred.
    EXPECT_EQ(WindowFit::FirstPlace({1060, 900}, minimum, {0, 0, 1920, 1200}),
              QRect(430, 164, 1060, 900));
    EXPECT_EQ(WindowFit::FirstPlace({1060, 900}, minimum, {0, 27, 1366, 741}),
              QRect(153, 59, 1060, 705));
    // A screen smaller than the least size: the title bar still on it.
    EXPECT_EQ(WindowFit::FirstPlace({1060, 900}, minimum, {0, 0, 800, 600}),
              QRect(4, 32, 900, 564));

    const QList<QRect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 720}};
    struct Case {
        const char* what;
        QRect remembered;
        QList<QRect> screens;
        QRect fitted;
    };
    const QList<QRect> one{{0, 0, 1920, 1080}};
    const Case cases[] = {
        {"fits: unchanged", {100, 100, 1000, 800}, two, {100, 100, 1000, 800}},
        {"on the second screen: stays there", {2000, 40, 1000, 600}, two, {2000, 40, 1000, 600}},
        {"too tall: shrunk onto the second", {2000, 40, 1000, 900}, two, {2000, 32, 1000, 684}},
        {"mostly on the second: onto it", {1800, 50, 1000, 600}, two, {1924, 50, 1000, 600}},
        {"monitor gone: onto the primary", {2000, 40, 1000, 600}, one, {916, 40, 1000, 600}},
        {"far away: onto the primary", {-5000, -5000, 1000, 600}, two, {4, 32, 1000, 600}},
        {"title bar above the screen: down", {100, -20, 1000, 600}, two, {100, 32, 1000, 600}},
        {"smaller screen than before", {0, 0, 1900, 1050}, {{0, 0, 1366, 768}}, {4, 32, 1358, 732}},
        {"below the least size: the least size", {100, 100, 300, 200}, two, {100, 100, 900, 560}},
        {"nothing kept", {}, two, {}},
        {"no screens", {100, 100, 1000, 800}, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowFit::FitToScreens(c.remembered, c.screens, minimum), c.fitted) << c.what;
    }
}

namespace {

QImage Render(const QString& key) {
    QImage image(26, 26, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Pictures::Paint(p, QRectF(0, 0, 26, 26), key);
    return image;
}

} // namespace

TEST(Pictures, EveryKeyOfTheViewsHasItsOwnPictureDrawnAtThePixelRatio) {
    const ImageKeyTables& t = ImageKeys();
    std::set<QString> wanted(t.SwitchKeys.begin(), t.SwitchKeys.end());
    wanted.insert(t.PlugKeys.begin(), t.PlugKeys.end());
    wanted.insert({"GreenON", "RedON", "Mute", "Unmute"});
    const QImage blank = Render("NoSuchKey");
    for (const QString& key : wanted) {
        EXPECT_TRUE(Pictures::Has(key) && Render(key) != blank) << key.toStdString();
        EXPECT_FALSE(Pictures::Describe(key).isEmpty()) << key.toStdString();
    }
    EXPECT_FALSE(Pictures::Has("NoSuchKey"));
    EXPECT_TRUE(Pictures::Icon("NoSuchKey").isNull());
    const QStringList differ =
        QStringLiteral("OnAOnV_UP OnAOffV_UP OffAOnV_UP OffAOffV_UP OnANoV_UP NoANoV_UP OnAOnV_DN "
                       "OffAOffV_DN VideoInPlugOn VideoInUnplugOn VideoInUnknowPlugOn "
                       "AudioInPlugOn GreenON RedON Mute Unmute")
            .split(QLatin1Char(' '));
    for (int i = 0; i < differ.size(); ++i) {
        for (int j = i + 1; j < differ.size(); ++j) {
            EXPECT_NE(Render(differ[i]), Render(differ[j]))
                << differ[i].toStdString() << " vs " << differ[j].toStdString();
        }
    }
    const QPixmap sharp = Pictures::Pixmap("OnAOnV_UP", QSize(26, 26), 2.0);
    EXPECT_EQ(sharp.size(), QSize(52, 52));
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(26, 26));
}

// Drawn from the cache, a picture has the very pixels of its shapes, for
// each size, pixel ratio, state and interface font in turn (each kept apart
// in the cache); under a scaled painter the shapes are drawn, not a
// stretched pixmap.
TEST(Pictures, CachedDrawingMatchesTheShapesAtEachSizeRatioStateAndFont) {
    struct Case {
        const char* key;
        int side;
        qreal ratio;
        bool enabled;
        qreal scale;
    };
    const Case cases[] = {
        {"OnAOffV_UP", 26, 1, true, 1},      {"OnAOffV_UP", 40, 1, true, 1},
        {"OnAOffV_UP", 26, 2, true, 1},      {"OnAOffV_UP", 26, 1, false, 1},
        {"VideoInUnplugOn", 16, 1, true, 1}, {"VideoInUnplugOn", 16, 1.5, false, 1},
        {"GreenON", 16, 1, true, 1},         {"OnAOffV_UP", 26, 1, true, 3},
        {"OnAOffV_UP", 26, 1, true, 1}, // in another font, from here on
    };
    const QFont before = QGuiApplication::font();
    for (const Case& c : cases) {
        if (&c == &cases[std::size(cases) - 1]) {
            QGuiApplication::setFont(QFont(QStringLiteral("DejaVu Serif")));
        }
        auto draw = [&](bool cached) {
            QImage image(QSize(c.side, c.side) * c.ratio * c.scale,
                         QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(c.ratio);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.scale(c.scale, c.scale);
            if (cached) {
                Pictures::PaintCached(p, QRect(0, 0, c.side, c.side), c.key, c.enabled);
            } else {
                Pictures::Paint(p, QRectF(0, 0, c.side, c.side), c.key, c.enabled);
            }
            return image;
        };
        const QImage shapes = draw(false);
        EXPECT_EQ(draw(true), shapes) << c.key << " " << c.side << " @" << c.ratio;
        EXPECT_EQ(draw(true), shapes) << c.key << " " << c.side << " @" << c.ratio << ", again";
    }
    QGuiApplication::setFont(before);
}
