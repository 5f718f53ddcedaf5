#pragma once

// The fuzzing rig's fakes of the views, the trace and the line: each folds
// what it is handed into a digest instead of keeping it.

#include "link/LinkTrace.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingViews.h"

#include <cstdint>

namespace quadrel::test {

// FNV-1a over everything mixed in (a word at a time): cheap enough to run on every fuzz input.
// The fuzzer's own runs, whose results nobody reads, switch it off.
class Digest {
public:
    void Mix(uint64_t v) {
        if (on) {
            hash_ = (hash_ ^ v) * 0x100000001B3ULL;
            hash_ ^= hash_ >> 29;
        }
    }
    void Mix(const uint8_t* p, size_t n) {
        Mix(n);
        for (size_t i = 0; on && i < n; ++i) {
            hash_ = (hash_ ^ p[i]) * 0x100000001B3ULL;
        }
    }
    uint64_t value() const { return hash_; }
    void Reset() { hash_ = kSeed; }
    bool on = true;

private:
    static constexpr uint64_t kSeed = 0xCBF29CE484222325ULL;
    uint64_t hash_ = kSeed;
};

// A views fake that folds every call and its arguments into a digest instead
// of writing text.
class DigestViews : public NotingViews {
public:
    Digest digest;

    void Reset() {
        digest.Reset();
        memoryLocation.reset();
        redrawRunning.clear();
        busyPointer = qrdEnabled = lstQrdEnabled = false;
        scanCaption = QStringLiteral("S&can");
    }

protected:
    // The call's name and a word by their address: both are constants.
    void Note(const char* call, std::initializer_list<ViewArg> args) override {
        digest.Mix(reinterpret_cast<uintptr_t>(call));
        for (const ViewArg& a : args) {
            if (a.text != nullptr) {
                digest.Mix(reinterpret_cast<const uint8_t*>(a.text->utf16()),
                           static_cast<size_t>(a.text->size()) * 2);
            } else {
                digest.Mix(a.word != nullptr ? reinterpret_cast<uintptr_t>(a.word)
                                             : static_cast<uint64_t>(a.number));
            }
        }
    }
};

// Folds the trace into a digest: each piece with its direction.
struct DigestTrace : LinkTrace {
    Digest digest;
    void LogSend(const Bytes& b) override { Log(1, b); }
    void LogRecv(const Bytes& b) override { Log(2, b); }
    void Log(uint64_t direction, const Bytes& b) {
        digest.Mix(direction);
        digest.Mix(b.data(), b.size());
    }
};

// The line of the fuzzing rig: it folds the frames written into a digest
// instead of keeping them, so an input costs no allocation here beyond the
// link's own read.
class FuzzPort : public FakeSerialPort {
public:
    Digest digest;
    void write(const Bytes& bytes) override { digest.Mix(bytes.data(), bytes.size()); }
    bool IsAsBuilt() const { return isOpen() && pending_.empty(); }
    void Reset() {
        pending_.clear();
        timeouts = PortTimeouts{};
        digest.Reset();
    }
};

} // namespace quadrel::test
