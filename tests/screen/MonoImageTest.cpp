#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "screen/Framebuffer.h"
#include "screen/MonoImage.h"
#include "screen/ScreenInterpreter.h"
#include "support/TempDir.h"

using vx::MonoImage;

namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t{bytes[at + 3]} << 24);
}
std::uint32_t be32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
}

MonoImage sampleScreen(bool mode80) {
    vx::Framebuffer surface;
    vx::ScreenInterpreter interpreter(surface);
    interpreter.setColumnMode(mode80);
    interpreter.SendToScreen("READY\x9B\xC1\xC2");
    return vx::captureScreen(surface, interpreter.state().ColumnCount);
}

TEST(MonoImage, CapturesTheVisibleWidthInScreenOrder) {
    vx::Framebuffer surface;
    vx::ScreenInterpreter interpreter(surface);
    interpreter.SendToScreen(std::string(23, '\x9B') + "X");
    interpreter.SendToScreen("\x9B");  // scrolls: the row map is no longer in order
    const MonoImage image = vx::captureScreen(surface, 40);
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 384);
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 640; ++x) ASSERT_EQ(image.pixel(x, y), surface.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(vx::captureScreen(surface, 80).width, 1280);
}

TEST(MonoImage, BmpHasAOneBitPaletteAndBottomUpRows) {
    const MonoImage image = sampleScreen(false);
    const auto bmp = vx::encodeBmp(image);
    ASSERT_GE(bmp.size(), 62u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(le32(bmp, 2), bmp.size());
    EXPECT_EQ(le32(bmp, 18), 640u);
    EXPECT_EQ(le32(bmp, 22), 384u);
    EXPECT_EQ(bmp[28], 1);  // bits per pixel
    EXPECT_EQ(le32(bmp, 58), 0x00FFFFFFu);
    const std::size_t pixels = le32(bmp, 10);
    const std::size_t bottomRow = pixels;  // the first stored row is the bottom one
    EXPECT_EQ(std::memcmp(&bmp[bottomRow], &image.bits[static_cast<std::size_t>(383 * image.stride())], 80), 0);
    const std::size_t topRow = pixels + 383 * 80;
    EXPECT_EQ(std::memcmp(&bmp[topRow], &image.bits[0], 80), 0);
}

TEST(MonoImage, PngChunksHaveValidLengthsAndCrcsAndInflateToTheRows) {
    const MonoImage image = sampleScreen(true);
    const auto png = vx::encodePng(image);
    ASSERT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    std::size_t at = 8;
    std::vector<std::uint8_t> idat;
    std::vector<std::string> types;
    while (at < png.size()) {
        const std::uint32_t length = be32(png, at);
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        types.push_back(type);
        // CRC-32 (bitwise, independent of the encoder's table) over type and data.
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::size_t i = at + 4; i < at + 8 + length; ++i) {
            crc ^= png[i];
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        EXPECT_EQ(~crc, be32(png, at + 8 + length)) << type;
        if (type == "IHDR") {
            EXPECT_EQ(be32(png, at + 8), 1280u);
            EXPECT_EQ(be32(png, at + 12), 384u);
            EXPECT_EQ(png[at + 16], 1);  // bit depth
            EXPECT_EQ(png[at + 17], 0);  // greyscale
        }
        if (type == "IDAT")
            idat.insert(idat.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                        png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    // Stored deflate blocks: header byte, LEN, NLEN, data.
    std::vector<std::uint8_t> raw;
    std::size_t pos = 2;
    bool last = false;
    while (!last) {
        last = idat[pos] & 1;
        const unsigned len = idat[pos + 1] | (idat[pos + 2] << 8);
        const unsigned nlen = idat[pos + 3] | (idat[pos + 4] << 8);
        ASSERT_EQ(len ^ 0xFFFFu, nlen);
        raw.insert(raw.end(), idat.begin() + static_cast<std::ptrdiff_t>(pos + 5),
                   idat.begin() + static_cast<std::ptrdiff_t>(pos + 5 + len));
        pos += 5 + len;
    }
    ASSERT_EQ(raw.size(), static_cast<std::size_t>(384 * 161));
    for (int y = 0; y < 384; ++y) {
        ASSERT_EQ(raw[static_cast<std::size_t>(y * 161)], 0);
        ASSERT_EQ(std::memcmp(&raw[static_cast<std::size_t>(y * 161 + 1)],
                              &image.bits[static_cast<std::size_t>(y * 160)], 160),
                  0);
    }
}

TEST(MonoImage, PbmStoresBlackAsSetBits) {
    const MonoImage image = sampleScreen(false);
    const auto pbm = vx::encodePbm(image);
    const std::string header = "P4\n640 384\n";
    ASSERT_EQ(std::string(pbm.begin(), pbm.begin() + static_cast<std::ptrdiff_t>(header.size())), header);
    ASSERT_EQ(pbm.size(), header.size() + image.bits.size());
    for (std::size_t i = 0; i < image.bits.size(); ++i)
        ASSERT_EQ(pbm[header.size() + i], static_cast<std::uint8_t>(~image.bits[i]));
}

TEST(MonoImage, TheExtensionChoosesTheFormat) {
    const MonoImage image = sampleScreen(false);
    const struct {
        const char* name;
        std::string signature;
    } rows[] = {{"a.BMP", "BM"}, {"a.png", "\x89PNG"}, {"a.pbm", "P4"}, {"dir.x/a.Png", "\x89PNG"}};
    for (const auto& row : rows) {
        std::vector<std::uint8_t> bytes;
        EXPECT_EQ(vx::encodeImageFile(row.name, image, bytes), "") << row.name;
        EXPECT_EQ(
            std::string(bytes.begin(), bytes.begin() + static_cast<long>(std::min(bytes.size(), row.signature.size()))),
            row.signature)
            << row.name;
    }
    std::vector<std::uint8_t> bytes;
    EXPECT_NE(vx::encodeImageFile("a.gif", image, bytes), "");
    EXPECT_NE(vx::encodeImageFile("png", image, bytes), "");
}

}  // namespace
