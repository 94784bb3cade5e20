#include "screen/MonoImage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <fstream>

namespace vx {
namespace {

void putLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putBE32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void putPngChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    putBE32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBE32(out, crc32(out.data() + typeAt, out.size() - typeAt));
}

// A zlib stream of stored (uncompressed) deflate blocks: no compression library needed, and
// a screen is only 60 KB.
std::vector<std::uint8_t> zlibStored(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> out{0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t size = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + size == raw.size();
        out.push_back(last ? 1 : 0);
        putLE(out, static_cast<std::uint32_t>(size), 2);
        putLE(out, static_cast<std::uint32_t>(~size & 0xFFFF), 2);
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBE32(out, (b << 16) | a);
    return out;
}

std::string lowerExtension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

}  // namespace

MonoImage captureScreen(const Framebuffer& surface, int columns) {
    MonoImage image;
    image.width = std::clamp(columns, 1, Framebuffer::kColumns) * Framebuffer::kCellSize;
    image.height = Framebuffer::kHeight;
    image.bits.resize(static_cast<std::size_t>(image.stride() * image.height));
    for (int y = 0; y < image.height; ++y)
        std::memcpy(image.bits.data() + static_cast<std::size_t>(y * image.stride()), surface.rowBits(y),
                    static_cast<std::size_t>(image.stride()));
    return image;
}

std::vector<std::uint8_t> encodeBmp(const MonoImage& image) {
    const int rowBytes = (image.stride() + 3) / 4 * 4;
    const std::uint32_t pixelOffset = 14 + 40 + 8;
    const std::uint32_t fileSize = pixelOffset + static_cast<std::uint32_t>(rowBytes * image.height);
    std::vector<std::uint8_t> out{'B', 'M'};
    putLE(out, fileSize, 4);
    putLE(out, 0, 4);
    putLE(out, pixelOffset, 4);
    putLE(out, 40, 4);                                        // header size
    putLE(out, static_cast<std::uint32_t>(image.width), 4);   // width
    putLE(out, static_cast<std::uint32_t>(image.height), 4);  // height: positive, rows bottom-up
    putLE(out, 1, 2);                                         // planes
    putLE(out, 1, 2);                                         // bits per pixel
    putLE(out, 0, 4);                                         // no compression
    putLE(out, static_cast<std::uint32_t>(rowBytes * image.height), 4);
    putLE(out, 2835, 4);  // 72 dpi
    putLE(out, 2835, 4);
    putLE(out, 2, 4);  // palette entries
    putLE(out, 2, 4);
    putLE(out, image.paper, 4);  // index 0: clear bits
    putLE(out, image.ink, 4);    // index 1: set bits
    for (int y = image.height - 1; y >= 0; --y) {
        const auto* row = image.bits.data() + static_cast<std::size_t>(y * image.stride());
        out.insert(out.end(), row, row + image.stride());
        out.insert(out.end(), static_cast<std::size_t>(rowBytes - image.stride()), 0);
    }
    return out;
}

std::vector<std::uint8_t> encodePng(const MonoImage& image) {
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBE32(header, static_cast<std::uint32_t>(image.width));
    putBE32(header, static_cast<std::uint32_t>(image.height));
    // 1-bit greyscale when black and white, else 1-bit with a two-colour palette; deflate, no
    // filter, no interlace.
    const bool grey = image.ink == 0xFFFFFF && image.paper == 0x000000;
    header.insert(header.end(), {1, static_cast<std::uint8_t>(grey ? 0 : 3), 0, 0, 0});
    putPngChunk(out, "IHDR", header);
    if (!grey) {
        std::vector<std::uint8_t> palette;
        for (const std::uint32_t colour : {image.paper, image.ink})
            for (const int shift : {16, 8, 0}) palette.push_back(static_cast<std::uint8_t>(colour >> shift));
        putPngChunk(out, "PLTE", palette);
    }

    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>((image.stride() + 1) * image.height));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);  // filter: none
        const auto* row = image.bits.data() + static_cast<std::size_t>(y * image.stride());
        raw.insert(raw.end(), row, row + image.stride());
    }
    putPngChunk(out, "IDAT", zlibStored(raw));
    putPngChunk(out, "IEND", {});
    return out;
}

std::vector<std::uint8_t> encodePbm(const MonoImage& image) {
    const std::string header = "P4\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n";
    std::vector<std::uint8_t> out(header.begin(), header.end());
    // In PBM a set bit is black.
    for (std::uint8_t byte : image.bits) out.push_back(static_cast<std::uint8_t>(~byte));
    return out;
}

std::string encodeImageFile(const std::string& path, const MonoImage& image, std::vector<std::uint8_t>& bytes) {
    const std::string ext = lowerExtension(path);
    if (ext == "bmp")
        bytes = encodeBmp(image);
    else if (ext == "png")
        bytes = encodePng(image);
    else if (ext == "pbm")
        bytes = encodePbm(image);
    else
        return "unknown image type '" + path + "' (use .bmp, .png or .pbm)";
    return {};
}

}  // namespace vx
