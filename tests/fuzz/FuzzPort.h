#pragma once

#include "fuzz/DigestViews.h"
#include "link/SerialPort.h"

namespace quadrel::test {

// The line of the fuzzing rig: it hands the link bytes straight from the
// input, and folds the frames written into a digest instead of keeping them,
// so an input costs no allocation here beyond the link's own read.
class FuzzPort : public SerialPort {
public:
    Digest digest;
    bool digesting = true;

    bool open(int portNumber, const QString& settings) override {
        open_ = true;
        portNumber_ = portNumber;
        settings_ = settings;
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int portNumber() const override { return portNumber_; }
    QString settings() const override { return settings_; }

    void write(const Bytes& bytes) override {
        if (digesting) {
            digest.Mix(bytes.data(), bytes.size());
        }
    }
    Bytes readAll() override {
        Bytes all(pending_.begin(), pending_.end());
        pending_.clear();
        return all;
    }
    int outputBufferSize() const override { return 512; }
    bool getTimeouts(PortTimeouts& t) const override {
        t = timeouts_;
        return open_;
    }
    bool setTimeouts(const PortTimeouts& t) override {
        timeouts_ = t;
        return open_;
    }

    // The line delivers bytes: they become readable and the link is told.
    void deliver(const uint8_t* bytes, size_t size) {
        pending_.insert(pending_.end(), bytes, bytes + size);
        notifyReceived();
    }
    void deliver(const Bytes& bytes) { deliver(bytes.data(), bytes.size()); }

    bool IsAsBuilt() const { return open_ && pending_.empty(); }
    void Reset() {
        pending_.clear();
        timeouts_ = PortTimeouts{};
        digest.Reset();
    }

private:
    bool open_ = false;
    int portNumber_ = 0;
    QString settings_;
    PortTimeouts timeouts_;
    Bytes pending_;
};

} // namespace quadrel::test
