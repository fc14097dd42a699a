// Why a front end's request could not be done, in a form both front ends present: a kind they
// can branch on and one line a user can act on.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace zel::session {

enum class Reason {
    None,
    NoDevice,      // nothing found (no simulator, nothing attached)
    Busy,          // held by another process
    Permission,    // no access to the device node
    Timeout,
    Disconnected,
    DeviceError,
    BadInput,      // a file or argument; the detail is the file's own message
    Cancelled,
};

struct DeviceProblem {
    Reason reason = Reason::None;
    std::string detail;

    explicit operator bool() const { return reason != Reason::None; }
};

// A value, or the problem that prevented it.
template <class T>
class Outcome {
public:
    Outcome(T value) : value_(std::move(value)) {}
    Outcome(DeviceProblem problem) : problem_(std::move(problem)) {}

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *value_; }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    const DeviceProblem& problem() const { return problem_; }

private:
    std::optional<T> value_;
    DeviceProblem problem_;
};

}  // namespace zel::session
