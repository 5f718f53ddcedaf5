#include "control/AudioRules.h"

#include <algorithm>
#include <cmath>

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

Typed ReadTyped(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return {};
    }
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        return {Typed::NotANumber, 0};
    }
    // Beyond any range a unit has, and still exact in a double.
    constexpr double kLarge = 1e15;
    return {Typed::Number, static_cast<int64_t>(std::clamp(std::round(number), -kLarge, kLarge))};
}

bool IsLevelKey(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u'.' || u == u'\b';
}

} // namespace quadrel::AudioRules
