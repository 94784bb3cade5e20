#pragma once

#include <cstdint>
#include <functional>

namespace vx {

// Where replays send characters: in the program, the interpreter's ScreenHandler (which also
// draws); in tests, a recorder.
using ScreenFeed = std::function<void(std::uint8_t)>;

}  // namespace vx
