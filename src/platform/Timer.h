#pragma once

#include <functional>
#include <memory>

namespace vx {

// A timer on the program's one thread. Its callback runs from the event loop, never from inside
// start() or stop(). Long work is done as a job: one step, then a timer for the next step.
class Timer {
public:
    virtual ~Timer() = default;
    // (Re)starts the timer: the callback runs after `intervalMs`, and again every `intervalMs`
    // when `repeat` is set. An interval of 0 runs it as soon as the event loop is free.
    virtual void start(int intervalMs, bool repeat) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) = 0;
};

}  // namespace vx
