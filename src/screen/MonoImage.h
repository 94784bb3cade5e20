#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "screen/Framebuffer.h"

namespace vx {

// A plain two-colour picture: rows of width/8 bytes (width is a multiple of 8), top row first,
// most significant bit leftmost, 1 = white. This is what screen dumps, the printout and the
// command-line renderer write out.
struct MonoImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;
    // The colours of set and clear bits (0xRRGGBB) in BMP and PNG files; PBM is black and white.
    std::uint32_t ink = 0xFFFFFF;
    std::uint32_t paper = 0x000000;

    int stride() const { return width / 8; }
    bool pixel(int x, int y) const { return (bits[static_cast<std::size_t>(y * stride() + x / 8)] >> (7 - x % 8)) & 1; }
};

// The visible screen (columns x 16 by 384 pixels) in screen order.
MonoImage captureScreen(const Framebuffer& surface, int columns);

// File encodings of a picture.
std::vector<std::uint8_t> encodeBmp(const MonoImage& image);
std::vector<std::uint8_t> encodePng(const MonoImage& image);
std::vector<std::uint8_t> encodePbm(const MonoImage& image);

// The picture in the format named by the file's extension (.bmp, .png or .pbm, any letter
// case). Returns an empty text on success, otherwise a one-line reason.
std::string encodeImageFile(const std::string& path, const MonoImage& image, std::vector<std::uint8_t>& bytes);

}  // namespace vx
