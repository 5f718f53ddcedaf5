#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

// Text colours chosen against the background they stand on, so that a dark
// desktop palette leaves every fixed-colour panel and coloured value
// readable. The measure is the contrast ratio of the WCAG (1 to 21); 4.5 is
// its threshold for ordinary text.
namespace quadrel::Contrast {

constexpr double kReadable = 4.5;

inline double Luminance(const QColor& c) {
    auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

inline double Ratio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Black or white, whichever stands out more on `background`.
inline QColor TextOn(const QColor& background) {
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return Ratio(black, background) >= Ratio(white, background) ? black : white;
}

// `wanted` itself when it is readable on `background`; otherwise the nearest
// shade of it towards black or white (whichever the background calls for)
// that is. The hue stays, so red still reads as red.
inline QColor Readable(const QColor& wanted, const QColor& background, double minimum = kReadable) {
    if (Ratio(wanted, background) >= minimum) {
        return wanted;
    }
    const QColor end = TextOn(background);
    QColor mixed = wanted;
    for (int step = 1; step <= 20; ++step) {
        const double t = step / 20.0;
        mixed = QColor::fromRgbF(
            static_cast<float>(wanted.redF() + (end.redF() - wanted.redF()) * t),
            static_cast<float>(wanted.greenF() + (end.greenF() - wanted.greenF()) * t),
            static_cast<float>(wanted.blueF() + (end.blueF() - wanted.blueF()) * t));
        if (Ratio(mixed, background) >= minimum) {
            break;
        }
    }
    return mixed.toRgb();
}

// A colour for disabled text: between the text and the background, still
// visible but clearly weaker.
inline QColor Faded(const QColor& text, const QColor& background) {
    return QColor::fromRgbF(static_cast<float>((text.redF() * 5 + background.redF() * 4) / 9),
                            static_cast<float>((text.greenF() * 5 + background.greenF() * 4) / 9),
                            static_cast<float>((text.blueF() * 5 + background.blueF() * 4) / 9))
        .toRgb();
}

} // namespace quadrel::Contrast
