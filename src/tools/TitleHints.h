#pragma once

#include <array>
#include <string>

#include "platform/Random.h"

namespace vx {

// The rotating texts in the main frame's title bar: after start-up hints 0 to 40 in order, one
// per tick, then a random one per tick.
class TitleHints {
public:
    static constexpr int kCount = 42;
    static constexpr int kTickMs = 5000;

    static std::array<std::string, kCount> hints();

    // One tick: the caption to show next.
    std::string tick(Random& random);
    int counter() const { return m_counter; }

private:
    int m_counter = 0;
};

}  // namespace vx
