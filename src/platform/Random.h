#pragma once

namespace vx {

// The random generator: reseeded from the clock where the program asks for it.
class Random {
public:
    virtual ~Random() = default;
    virtual void seedFromClock() = 0;
    // A number in [0, 1).
    virtual double next() = 0;
};

}  // namespace vx
