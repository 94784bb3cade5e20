// Windows-1252 both ways, checked against the C library's converter (iconv), which is written
// from the code page's published mapping independently of ours.
#include <gtest/gtest.h>
#include <iconv.h>

#include "base/CodePage1252.h"

namespace {

// The character iconv gives for a byte, or nothing when it calls the byte undefined.
std::optional<char32_t> iconvCharacter(unsigned char byte) {
    iconv_t cd = ::iconv_open("UTF-32LE", "CP1252");
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[4] = {};
    char *inPtr = in, *outPtr = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1, outLeft = 4;
    const bool ok = cd != reinterpret_cast<iconv_t>(-1) && ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == 0;
    if (cd != reinterpret_cast<iconv_t>(-1)) ::iconv_close(cd);
    if (!ok) return std::nullopt;
    return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
}

// Every byte reads as iconv says (the five it leaves undefined as their C1 controls) and is
// written back as itself; no other character up to U+FFFF has a byte.
TEST(CodePage1252, EveryByteRoundTripsAndNothingElseIsHeld) {
    ASSERT_TRUE(iconvCharacter('A')) << "the C library has no CP1252 converter";
    int undefined = 0;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = vx::cp1252::characterOf(static_cast<unsigned char>(b));
        const auto expected = iconvCharacter(static_cast<unsigned char>(b));
        undefined += !expected;
        EXPECT_EQ(c, expected.value_or(static_cast<char32_t>(b))) << "byte " << b;
        EXPECT_EQ(vx::cp1252::byteOf(c), std::optional<unsigned char>(static_cast<unsigned char>(b))) << "byte " << b;
    }
    EXPECT_EQ(undefined, 5);
    for (char32_t c = 0; c < 0x10000; ++c) {
        const auto byte = vx::cp1252::byteOf(c);
        EXPECT_TRUE(!byte || vx::cp1252::characterOf(*byte) == c) << vx::cp1252::codePointName(c);
    }
}

// A CSV file that is not UTF-8 is an older export in the list's own bytes: it must read as no UTF-8.
TEST(CodePage1252, OnlyUtf8ReadsAsUtf8) {
    EXPECT_EQ(vx::cp1252::fromUtf8("\xC3\xA9\xF0\x9F\x98\x80"), std::optional<std::u32string>(U"\u00E9\U0001F600"));
    for (const char* broken : {"Caf\xE9", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_FALSE(vx::cp1252::fromUtf8(broken)) << broken;
}

}  // namespace
