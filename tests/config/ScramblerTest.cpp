#include <gtest/gtest.h>

#include <random>

#include "config/Scrambler.h"
#include "support/Fakes.h"

using vx::Scrambler;

namespace {

constexpr std::string_view kKey = Scrambler::kKey;

TEST(Scrambler, KeyIsFourteenLowerCaseLettersAndDigits) {
    EXPECT_EQ(kKey.size(), 14u);
    for (char c : kKey) EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) << c;
}

TEST(Scrambler, EveryOffsetRoundTrips) {
    for (int offset = 1; offset <= 101; ++offset) {
        const std::string scrambled = Scrambler::scrambleWithOffset(kKey, "abc", offset);
        ASSERT_EQ(scrambled.size(), 8u);
        char head[3];
        std::snprintf(head, sizeof head, "%02X", offset);
        EXPECT_EQ(scrambled.substr(0, 2), head);
        EXPECT_EQ(Scrambler::unscramble(kKey, scrambled), "abc") << offset;
    }
}

TEST(Scrambler, EveryByteButZeroRoundTrips) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    for (int offset : {1, 50, 101})
        EXPECT_EQ(Scrambler::unscramble(kKey, Scrambler::scrambleWithOffset(kKey, all, offset)), all);
    // Code 0 comes back as 255.
    EXPECT_EQ(Scrambler::unscramble(kKey, Scrambler::scrambleWithOffset(kKey, std::string(1, '\0'), 7)), "\xFF");
}

TEST(Scrambler, ReadsBlankAndZeroPaddedPairsAlike) {
    for (int offset = 1; offset <= 101; ++offset) {
        std::string scrambled = Scrambler::scrambleWithOffset(kKey, "password 123", offset);
        std::string zeroPadded = scrambled;
        for (char& c : zeroPadded)
            if (c == ' ') c = '0';
        EXPECT_EQ(Scrambler::unscramble(kKey, zeroPadded), "password 123") << offset;
    }
}

TEST(Scrambler, ModesAndEmptyText) {
    vx::test::FakeRandom random;
    Scrambler scrambler(random);
    EXPECT_EQ(scrambler.ENCRYP("X", kKey, "abc"), "");
    EXPECT_EQ(scrambler.ENCRYP("e", kKey, "abc"), "");
    random.values = {0.25};
    EXPECT_EQ(scrambler.ENCRYP("E", kKey, ""), "1A");  // 0.25 * 100 = 25, plus 1 = 26
    EXPECT_EQ(random.seeds, 1);
    EXPECT_EQ(scrambler.ENCRYP("D", kKey, "1A"), "");
    EXPECT_EQ(Scrambler::UnscrambleText(""), "");
}

TEST(Scrambler, OffsetRoundsHalvesToEven) {
    vx::test::FakeRandom random;
    Scrambler scrambler(random);
    random.values = {0.005, 0.015, 0.999};  // 0.5 -> 0, 1.5 -> 2, 99.9 -> 100
    EXPECT_EQ(scrambler.ENCRYP("E", kKey, "").substr(0, 2), "01");
    EXPECT_EQ(scrambler.ENCRYP("E", kKey, "").substr(0, 2), "03");
    EXPECT_EQ(scrambler.ENCRYP("E", kKey, "").substr(0, 2), "65");
}

TEST(Scrambler, ScrambleTextTrimsTrailingBlanksAndNeverStoresABlank) {
    vx::test::FakeRandom random;
    Scrambler scrambler(random);
    const std::string stored = scrambler.ScrambleText("secret   ");
    EXPECT_FALSE(Scrambler::HasBlank(stored));
    EXPECT_EQ(stored.size(), 2 + 2 * 6u);
    EXPECT_EQ(Scrambler::UnscrambleText(stored), "secret");
    EXPECT_NE(Scrambler::UnscrambleText(stored), "secret   ");
}

// Long texts often have no blank-free form at any offset: they are still stored, never lost.
TEST(Scrambler, TextsWithoutABlankFreeFormAreKept) {
    std::mt19937 generator(5);
    vx::test::FakeRandom random;
    Scrambler scrambler(random);
    int withoutBlankFreeForm = 0;
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = std::uniform_int_distribution<int>(1, 120)(generator);
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(std::uniform_int_distribution<int>(1, 254)(generator));
        while (!text.empty() && text.back() == ' ') text.pop_back();
        bool anyBlankFree = false;
        for (int offset = 1; offset <= 101 && !anyBlankFree; ++offset)
            anyBlankFree = !Scrambler::HasBlank(Scrambler::scrambleWithOffset(kKey, text, offset));
        withoutBlankFreeForm += anyBlankFree ? 0 : 1;

        random.values = {std::uniform_real_distribution<double>(0, 1)(generator)};
        const std::string stored = scrambler.ScrambleText(text);
        ASSERT_FALSE(Scrambler::HasBlank(stored)) << round;
        ASSERT_EQ(Scrambler::UnscrambleText(stored), text) << round;
    }
    EXPECT_GT(withoutBlankFreeForm, 0);  // the fallback was really exercised
}

// A byte 255 right after a pair that scrambled to FF returns as 0 at that offset; ScrambleText
// picks an offset that carries it.
TEST(Scrambler, ScrambleTextAvoidsOffsetsThatLoseAByte) {
    const std::string text("\xFF\x81\xFF\n");
    EXPECT_NE(Scrambler::unscramble(kKey, Scrambler::scrambleWithOffset(kKey, text, 54)), text);
    vx::test::FakeRandom random;
    random.values = {0.53};  // offset 54
    Scrambler scrambler(random);
    const std::string stored = scrambler.ScrambleText(text);
    EXPECT_EQ(Scrambler::UnscrambleText(stored), text);
    EXPECT_NE(stored.substr(0, 2), "36");
}

TEST(Scrambler, AnyStoredTextUnscramblesWithoutFailing) {
    for (const char* stored : {"Z", "ZZZZ", "1", "0G1H", "  ", "FFFFFF", "01\xFF\x80"})
        EXPECT_NO_THROW(Scrambler::UnscrambleText(stored)) << stored;
    EXPECT_TRUE(Scrambler::HasBlank("a b"));
    EXPECT_FALSE(Scrambler::HasBlank("ab"));
}

}  // namespace
