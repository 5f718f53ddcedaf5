#pragma once

namespace quadrel {

// Sets a guard flag for the length of a scope and puts back what it held,
// so a program-made change of a control never turns into a request.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = saved_; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
    bool saved_;
};

} // namespace quadrel
