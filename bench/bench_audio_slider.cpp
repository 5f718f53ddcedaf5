// The volume slider held down with the arrow key for two seconds, with all
// eight outputs of a unit ticked, in virtual time on a 9600 baud line whose
// unit answers every request after the bytes' own time on the wire. Each
// key step is a finished change of the slider. Prints the frames written
// against the value changes, the line's load against its physical limit, and
// the most volume settings that ever waited in the queue for one output.
#include "app/PagesRig.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

constexpr int kBaud = 9600;
constexpr auto kTurnaround = 2ms; // the unit's own time before it answers
constexpr auto kHold = 2000ms;
constexpr auto kRepeatDelay = 500ms; // a keyboard's auto-repeat: delay, then rate
constexpr auto kRepeatEvery = 33ms;

std::chrono::microseconds WireTime(size_t bytes) {
    return std::chrono::microseconds(static_cast<long long>(bytes) * 10 * 1'000'000 / kBaud);
}

// Answers each written frame as a unit would: an acknowledgement for a
// setting, the levels of outputs 1 to 8 for a volume query.
struct Unit {
    PagesRig& h;
    std::array<int, 9> volume{};
    size_t seen = 0;
    size_t bytesOnWire = 0;

    void Serve() {
        for (; seen < h.port.writes.size(); ++seen) {
            const Bytes f = h.port.writes[seen];
            bytesOnWire += f.size();
            Bytes answer = {static_cast<uint8_t>(0x80 | (f[0] & 0x1F))};
            if (f[1] == kCmdSetVolumnLevel) {
                volume.at(f[2]) = f[3];
            } else if (!IsSetCommand(f[1])) {
                answer.push_back(16);
                for (uint8_t n = 1; n <= 8; ++n) {
                    answer.push_back(n);
                    answer.push_back(static_cast<uint8_t>(volume.at(n)));
                }
            }
            answer.push_back(
                basCRC8_Dallas_1_Wire::CalculateCrc8(answer, static_cast<int>(answer.size())));
            bytesOnWire += answer.size();
            h.clock.callAfter(WireTime(f.size()) + kTurnaround + WireTime(answer.size()),
                              [this, answer] { h.port.deliver(answer); });
        }
    }
};

int MostWaitingForOneOutput(const PagesRig& h) {
    std::array<int, 256> count{};
    for (const SEND_PACKET& p : h.core.link.queue.SendQueue()) {
        if (p.bCommand == kCmdSetVolumnLevel) {
            ++count.at(p.data(0));
        }
    }
    return *std::max_element(count.begin(), count.end());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PagesRig h;
    Unit unit{h};
    UnitCaps caps;
    caps.plugs = false;
    h.Show(1, 4, 8, caps);
    h.audio.chkSelAllAudioOutput()->click();
    QSlider* slider = h.audio.fraSelectedAudioOutput()->row(SelectedAudioGroup::Volumn).sld;
    slider->setFocus();

    int changes = 0;
    int mostWaiting = 0;
    const auto start = h.clock.now();
    auto nextKey = start;
    while (h.clock.now() - start < kHold || h.core.link.queue.IsWaitingForAnswer()) {
        if (h.clock.now() >= nextKey && h.clock.now() - start < kHold) {
            const int before = slider->value();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(),
                            nextKey != start);
            QApplication::sendEvent(slider, &press);
            changes += slider->value() != before ? 1 : 0;
            nextKey += nextKey == start ? kRepeatDelay : kRepeatEvery;
        }
        unit.Serve();
        mostWaiting = std::max(mostWaiting, MostWaitingForOneOutput(h));
        h.clock.advance(250us);
    }
    unit.Serve();
    const double seconds = std::chrono::duration<double>(h.clock.now() - start).count();
    const double lineSeconds = static_cast<double>(unit.bytesOnWire) * 10 / kBaud;
    std::printf("volume slider held %lld ms at 9600 baud, 8 outputs ticked\n",
                static_cast<long long>(kHold.count()));
    std::printf("value changes:                  %d\n", changes);
    std::printf("frames written:                 %zu (%.1f per change)\n", h.port.writes.size(),
                changes > 0 ? static_cast<double>(h.port.writes.size()) / changes : 0.0);
    std::printf("settings a change asks for:     %d (8 settings and a query)\n", changes * 9);
    std::printf("most settings waiting for one output: %d\n", mostWaiting);
    std::printf("line busy %.3f s of %.3f s until the last answer (%.0f %% of the physical "
                "limit)\n",
                lineSeconds, seconds, 100 * lineSeconds / seconds);
    std::printf("unit's volumes at the end: %d %d %d %d %d %d %d %d, slider %d\n", unit.volume[1],
                unit.volume[2], unit.volume[3], unit.volume[4], unit.volume[5], unit.volume[6],
                unit.volume[7], unit.volume[8], slider->value());
    return 0;
}
