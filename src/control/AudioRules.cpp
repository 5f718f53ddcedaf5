#include "control/AudioRules.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quadrel::AudioRules {

int BarWidth(int64_t value, double borderWidth, int64_t fullScale) {
    if (fullScale <= 0 || borderWidth <= 0 || value <= 0) {
        return 0;
    }
    const auto product = std::llround(static_cast<double>(value) * borderWidth);
    const int64_t width = product / fullScale;
    return static_cast<int>(std::min<int64_t>(width, std::llround(borderWidth)));
}

std::optional<int32_t> DelaySteps(int64_t milliseconds, int delayUnit) {
    if (milliseconds < 0 || delayUnit <= 0) {
        return std::nullopt;
    }
    const int64_t steps = milliseconds / delayUnit;
    if (steps > kMaxDelaySteps) {
        return std::nullopt;
    }
    return static_cast<int32_t>(steps);
}

std::optional<int32_t> ConvertText(const QString& text, int bits) {
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        return std::nullopt;
    }
    const double rounded = std::round(number);
    const double high =
        bits >= 32 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int16_t>::max();
    const double low =
        bits >= 32 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int16_t>::min();
    if (rounded < low || rounded > high) {
        return std::nullopt;
    }
    return static_cast<int32_t>(rounded);
}

TextAction LevelTextAction(const QString& text, int bits, int32_t upDownMaximum) {
    const std::optional<int32_t> number = ConvertText(text, bits);
    if (!number || *number < 0) {
        return {};
    }
    if (*number > upDownMaximum) {
        return {TextAction::Replace, 0};
    }
    return {TextAction::Change, *number};
}

bool IsLevelKey(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u'.' || u == u'\b';
}

} // namespace quadrel::AudioRules
