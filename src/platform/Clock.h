#pragma once

#include <cstdint>

namespace vx {

// A local calendar date and time, to the second.
struct LocalDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// Where the core gets the time. The program uses the system clock; tests use virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    // Milliseconds on a monotonic clock, for durations and timers.
    virtual std::int64_t steadyMs() const = 0;
};

}  // namespace vx
