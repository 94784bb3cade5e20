#pragma once

// The bytes the board's screens are made of. Every byte on the line is one ATASCII character or
// one screen-control code; there is nothing else to negotiate.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx::demo::atascii {

constexpr char code(int value) { return static_cast<char>(static_cast<std::uint8_t>(value)); }

inline constexpr char kEol = code(155);
inline constexpr char kClear = code(125);
inline constexpr char kUp = code(28);
inline constexpr char kDown = code(29);
inline constexpr char kLeft = code(30);
inline constexpr char kRight = code(31);
inline constexpr char kTab = code(127);
inline constexpr char kBackspace = code(126);
inline constexpr char kDeleteChar = code(254);
inline constexpr char kInsertChar = code(255);
inline constexpr char kInsertLine = code(157);
inline constexpr char kDeleteLine = code(156);
inline constexpr char kBell = code(253);

// Graphics characters the art is drawn with.
inline constexpr char kTopLeft = code(17);
inline constexpr char kHorizontal = code(18);
inline constexpr char kTopRight = code(5);
inline constexpr char kBottomLeft = code(26);
inline constexpr char kBottomRight = code(3);
inline constexpr char kVertical = code(124);
inline constexpr char kTeeRight = code(1);
inline constexpr char kTeeLeft = code(4);
inline constexpr char kCross = code(19);
inline constexpr char kBall = code(20);
inline constexpr char kSolid = code(160);  // an inverse blank

// Inverse video: bit 7 set on every byte.
std::string inverse(std::string_view text);

std::string repeat(char c, std::size_t count);

// Text followed by an end of line.
std::string line(std::string_view text);

// Art written with the characters' Unicode look-alikes (the ones vexterm-render --text prints),
// so a picture in the source looks like the picture on the screen. ASCII stands for itself,
// "█" is a solid cell, and text between { and } is shown in inverse video. A character with no
// ATASCII counterpart throws std::invalid_argument: the screens are fixed, so a typo shows up
// the first time they are built.
std::string art(std::string_view utf8);

// Several rows of art, each followed by an end of line.
std::string picture(std::initializer_list<std::string_view> rows);

}  // namespace vx::demo::atascii
