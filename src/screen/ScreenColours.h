#pragma once

#include <array>
#include <cstdint>

namespace vx {

// The colours the screen is shown in: lit pixels in `ink`, the rest in `paper` (0xRRGGBB). The
// surface itself stays one bit a pixel; only what is shown (and a dump "as shown") is coloured.
struct ScreenColours {
    const char* name;
    std::uint32_t ink;
    std::uint32_t paper;
};

// Indexed by the configuration's ScreenColours value. The Atari's own text screen is light blue
// letters on its dark blue background.
inline constexpr std::array<ScreenColours, 4> kScreenColourSchemes = {{
    {"White on black", 0xFFFFFF, 0x000000},
    {"Atari blue", 0x8CB4F0, 0x183C94},
    {"Amber", 0xFFB000, 0x000000},
    {"Green", 0x33FF66, 0x000000},
}};

// The scheme a configuration value names; a value out of range (a hand-edited file) is the first.
constexpr const ScreenColours& screenColours(int scheme) {
    return scheme >= 0 && scheme < static_cast<int>(kScreenColourSchemes.size()) ? kScreenColourSchemes[scheme]
                                                                                 : kScreenColourSchemes[0];
}

}  // namespace vx
