// Windows-1252 both ways, checked against the C library's own converter (iconv), which is written
// from the code page's published mapping independently of ours.
#include <gtest/gtest.h>
#include <iconv.h>

#include <array>

#include "base/CodePage1252.h"

namespace {

// The character iconv gives for a byte, or nothing when it calls the byte undefined.
std::optional<char32_t> iconvCharacter(unsigned char byte) {
    iconv_t cd = ::iconv_open("UTF-32LE", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    std::array<unsigned char, 4> out{};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out.data());
    std::size_t inLeft = 1, outLeft = out.size();
    const std::size_t done = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    ::iconv_close(cd);
    if (done == static_cast<std::size_t>(-1)) return std::nullopt;
    return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
}

TEST(CodePage1252, EveryByteReadsAsTheCodePageSaysAndWritesBackAsItself) {
    ASSERT_TRUE(iconvCharacter('A')) << "the C library has no CP1252 converter";
    int undefined = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const char32_t c = vx::cp1252::characterOf(byte);
        if (const auto expected = iconvCharacter(byte)) {
            EXPECT_EQ(c, *expected) << "byte " << b;
        } else {
            ++undefined;
            EXPECT_EQ(c, static_cast<char32_t>(b)) << "undefined byte " << b << " reads as its C1 control";
        }
        EXPECT_EQ(vx::cp1252::byteOf(c), std::optional<unsigned char>(byte)) << "byte " << b;
    }
    EXPECT_EQ(undefined, 5);
}

// Every character up to U+FFFF is held exactly when some byte reads as it.
TEST(CodePage1252, OnlyTheCharactersOfTheCodePageAreHeld) {
    std::array<bool, 0x10000> held{};
    for (int b = 0; b < 256; ++b) held[vx::cp1252::characterOf(static_cast<unsigned char>(b))] = true;
    for (char32_t c = 0; c < 0x10000; ++c)
        EXPECT_EQ(vx::cp1252::byteOf(c).has_value(), held[c]) << vx::cp1252::codePointName(c);
    EXPECT_FALSE(vx::cp1252::byteOf(0x1F600));
}

struct TextCase {
    const char* name;
    std::u32string text;
    std::optional<std::string> bytes;
    std::optional<char32_t> unheld;
};
void PrintTo(const TextCase& c, std::ostream* out) { *out << c.name; }

class Texts : public ::testing::TestWithParam<TextCase> {};

TEST_P(Texts, AreHeldWholeOrNamedByTheirFirstUnheldCharacter) {
    const TextCase& c = GetParam();
    EXPECT_EQ(vx::cp1252::bytesOf(c.text), c.bytes);
    EXPECT_EQ(vx::cp1252::firstUnheld(c.text), c.unheld);
    if (c.bytes) {
        EXPECT_EQ(vx::cp1252::textOf(*c.bytes), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, Texts,
                         ::testing::Values(TextCase{"Euro", U"5 \u20AC", "5 \x80", std::nullopt},
                                           TextCase{"QuotesAndDashes", U"\u201Chi\u201D \u2013 \u2014",
                                                    "\x93hi\x94 \x96 \x97", std::nullopt},
                                           TextCase{"Latin1Letters", U"Caf\u00E9 \u00FF", "Caf\xE9 \xFF", std::nullopt},
                                           TextCase{"Polish", U"\u0141\u00F3d\u017A", std::nullopt, U'\u0141'},
                                           TextCase{"Cyrillic", U"\u043F\u0430\u0440\u043E\u043B\u044C", std::nullopt,
                                                    U'\u043F'},
                                           TextCase{"C1ForEuroByteIsNotTheEuro", U"\u0080", std::nullopt, U'\u0080'},
                                           TextCase{"Emoji", U"ok \U0001F600", std::nullopt, U'\U0001F600'}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CodePage1252, Utf8BothWays) {
    EXPECT_EQ(vx::cp1252::utf8Of("Caf\xE9 5 \x80"), "Caf\xC3\xA9 5 \xE2\x82\xAC");
    EXPECT_EQ(vx::cp1252::fromUtf8("Caf\xC3\xA9 5 \xE2\x82\xAC"), std::optional<std::u32string>(U"Caf\u00E9 5 \u20AC"));
    EXPECT_EQ(vx::cp1252::fromUtf8("\xF0\x9F\x98\x80"), std::optional<std::u32string>(U"\U0001F600"));
    for (const char* broken : {"Caf\xE9", "\xC3", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_FALSE(vx::cp1252::fromUtf8(broken)) << broken;
    EXPECT_EQ(vx::cp1252::codePointName(U'\u0141'), "U+0141");
    EXPECT_EQ(vx::cp1252::codePointName(U'\U0001F600'), "U+1F600");
}

}  // namespace
