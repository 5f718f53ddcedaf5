#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace quadrel::AudioRules {

constexpr int kMaxLevel = 100;
constexpr int32_t kMaxDelaySteps = 0xFFFF; // what the high and low delay bytes carry

// Width of a bar inside a border `borderWidth` wide showing `value` of
// `fullScale`: the product is rounded to a whole number, then divided
// without remainder. A full scale of 0 (a unit that reports no maximum
// delay) gives an empty bar; the bar never leaves its border.
int BarWidth(int64_t value, double borderWidth, int64_t fullScale);

// Delay steps for `milliseconds` at `delayUnit` ms a step, or nothing when
// the two delay bytes cannot carry it: below 0, above 65535 steps, or a unit
// that reports a step of 0.
std::optional<int32_t> DelaySteps(int64_t milliseconds, int delayUnit);

// A typed or pasted value as the level and delay boxes read it: trimmed, a
// fractional part rounded half away from zero. Whether the unit takes it is
// the setting's range rule; a number too large for any range is kept large.
struct Typed {
    enum Kind { Empty, NotANumber, Number } kind = Empty;
    int64_t value = 0; // for Number
};
Typed ReadTyped(const QString& text);

// The key filter of the level boxes: digits, backspace and "." pass.
bool IsLevelKey(QChar c);

// The value the selected-outputs controls show for a set of outputs: the
// common value when every output walked agrees, else 0 and not common.
struct CommonValue {
    int count = 0;
    bool mixed = false;
    int64_t first = 0;
    void Add(int64_t v) {
        if (count++ == 0) {
            first = v;
        } else if (v != first) {
            mixed = true;
        }
    }
    // An output whose value the unit has not reported: no value is common.
    void AddUnknown() {
        ++count;
        mixed = true;
    }
    bool IsCommon() const { return count > 0 && !mixed; }
    int64_t Value() const { return IsCommon() ? first : 0; }
};

} // namespace quadrel::AudioRules
