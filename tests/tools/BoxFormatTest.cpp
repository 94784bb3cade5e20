// The Box's formatting rules as tables: the quote prefix, wrap and no-wrap quoting, FormatMsg,
// the pieces of a chunked send, and the editor's display of the Box's bytes.
#include <gtest/gtest.h>

#include <random>

#include "tools/BoxFormat.h"

namespace {

constexpr char kEol = static_cast<char>(155);
const std::string E(1, kEol);

struct PrefixCase {
    std::string box;
    std::string configured;
    std::string prefix;
};
class QuotePrefix : public ::testing::TestWithParam<PrefixCase> {};
TEST_P(QuotePrefix, ComesFromTheBoxOrTheConfiguration) {
    EXPECT_EQ(vx::box::quotePrefix(GetParam().box, GetParam().configured), GetParam().prefix);
}
INSTANTIATE_TEST_SUITE_P(Boxes, QuotePrefix,
                         ::testing::Values(PrefixCase{"XY", "->", "XY "}, PrefixCase{"", "->", "->"},
                                           PrefixCase{"   ", "  ->", "->"}, PrefixCase{" a", "->", " a "},
                                           PrefixCase{"", "", ""}));

struct QuoteCase {
    const char* name;
    std::string text;
    std::string prefix;
    bool noWrap;
    int width;
    int alarm;
    std::vector<std::string> lines;
    int alarmAfter;
};
void PrintTo(const QuoteCase& c, std::ostream* out) { *out << c.name; }

class Quoting : public ::testing::TestWithParam<QuoteCase> {};
TEST_P(Quoting, MakesTheLines) {
    const QuoteCase& c = GetParam();
    const auto result = vx::box::formatQuote(c.text, {c.prefix, c.noWrap, c.width, c.alarm});
    EXPECT_EQ(result.lines, c.lines);
    EXPECT_EQ(result.alarmColumn, c.alarmAfter);
}

const std::string kFox = "The quick brown fox jumps over the lazy dog again and again";
const std::string k40 = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";

INSTANTIATE_TEST_SUITE_P(
    Texts, Quoting,
    ::testing::Values(
        // Alarm column below 30: A = 40 - 10; a line fills to column 24, then finishes its word.
        QuoteCase{"WrapBreaksAfterColumn25",
                  kFox,
                  "->",
                  false,
                  40,
                  0,
                  {"->The quick brown fox jumps" + E, "->over the lazy dog again" + E, "->and again" + E},
                  30},
        QuoteCase{"WrapDropsLeadingBlanks", "   hello", "->", false, 40, 0, {"->hello" + E}, 30},
        QuoteCase{"AnEndOfLineGivesAnEmptyLineAfterIt", "hi" + E + "there", "->", false, 40, 0,
                  {"->hi" + E + E, "->there" + E}, 30},
        // A word longer than the Box is cut at the width and goes on in the next line, whole.
        QuoteCase{"ALongWordIsCutNotShortened", std::string(50, 'x'), "->", false, 40, 0,
                  {"->" + std::string(38, 'x') + E, "->" + std::string(12, 'x') + E}, 30},
        QuoteCase{"AnAlarmColumnOf30OrMoreIsKept", "aa bb cc dd", "", false, 40, 35, {"aa bb cc dd" + E}, 35},
        QuoteCase{"EightyColumns", kFox, "> ", false, 80, 0, {"> " + kFox + E}, 70},
        // No-wrap: A = 40 - 2 - 1 = 37; a line holds 35 characters after the prefix.
        QuoteCase{"NoWrapCutsAtTheWidth", k40, "->", true, 40, 0, {"->" + k40.substr(0, 35) + E, "->" + k40.substr(35) + E},
                  37},
        QuoteCase{"NoWrapKeepsEndsOfLineAsCharacters", "a" + E + "b", "->", true, 40, 0, {"->a" + E + "b" + E}, 37}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever the text, quoting ends and keeps every character of it in order (no-wrap drops only
// blanks at a line's start, wrap also the blank or end of line after a word).
TEST(Quoting, KeepsEveryNonBlankCharacterOfARandomText) {
    std::mt19937 random(7);
    for (const bool noWrap : {false, true}) {
        std::string text;
        for (int i = 0; i < 3000; ++i) {
            const int pick = static_cast<int>(random() % 12);
            text += pick == 0 ? ' ' : pick == 1 ? kEol : static_cast<char>('a' + pick);
        }
        const auto result = vx::box::formatQuote(text, {"->", noWrap, 40, 0});
        std::string kept, original;
        for (const std::string& line : result.lines) {
            ASSERT_TRUE(line.starts_with("->"));
            for (char c : line.substr(2))
                if (c != ' ' && c != kEol) kept += c;
        }
        for (char c : text)
            if (c != ' ' && c != kEol) original += c;
        EXPECT_EQ(kept, original) << (noWrap ? "no-wrap" : "wrap");
    }
}

// The prefix box takes any length; a prefix wider than the Box once made wrap mode add empty
// lines until memory ran out.
TEST(Quoting, APrefixAsWideAsTheBoxStillEnds) {
    const std::string prefix(45, '>');
    for (const bool noWrap : {true, false}) {
        const auto result = vx::box::formatQuote("abc de", {prefix, noWrap, 40, 0});
        std::string kept;
        for (const std::string& line : result.lines) {
            ASSERT_TRUE(line.starts_with(prefix));
            kept += line.substr(prefix.size());
        }
        EXPECT_EQ(result.lines.size(), noWrap ? 6u : 5u) << (noWrap ? "no-wrap" : "wrap");
        EXPECT_EQ(kept, noWrap ? "a" + E + "b" + E + "c" + E + " " + E + "d" + E + "e" + E
                               : "a" + E + "b" + E + "c" + E + "d" + E + "e" + E)
            << (noWrap ? "no-wrap" : "wrap");
    }
}

// A prefix has to leave ten columns of text in the Box's width, or "3) Format Edited Box" would
// make a line of the prefix for every character or two.
TEST(Quoting, APrefixMustLeaveTenColumns) {
    const struct {
        std::size_t prefix;
        int width;
        bool fits;
    } rows[] = {{2, 40, true},  {30, 40, true},  {31, 40, false},   {45, 40, false}, {45, 80, true},
                {70, 80, true}, {71, 80, false}, {5000, 80, false}, {0, 40, true}};
    for (const auto& row : rows) {
        for (const bool noWrap : {true, false}) {
            const vx::box::QuoteSettings settings{std::string(row.prefix, '>'), noWrap, row.width, 0};
            EXPECT_EQ(vx::box::prefixLeavesRoom(settings), row.fits) << row.prefix << " in " << row.width;
        }
    }
}

struct FormatCase {
    std::string text;
    std::string sent;
};
class FormatMsg : public ::testing::TestWithParam<FormatCase> {};
TEST_P(FormatMsg, TurnsLineBreaksIntoEndsOfLine) {
    EXPECT_EQ(vx::box::FormatMsg(GetParam().text), GetParam().sent);
    EXPECT_EQ(vx::box::FormatMsg(GetParam().text).size(), GetParam().text.size());
}
INSTANTIATE_TEST_SUITE_P(Texts, FormatMsg,
                         ::testing::Values(FormatCase{"ab\r\ncd", "ab" + E + " cd"}, FormatCase{"a\nb", "a" + E + "b"},
                                           FormatCase{"a\rb", "a" + E + "b"},
                                           FormatCase{"\r\n\r\n", E + " " + E + " "},
                                           FormatCase{E + "\n", E + " "}, FormatCase{"plain", "plain"}));

class AtasciiLineEnds : public ::testing::TestWithParam<FormatCase> {};
TEST_P(AtasciiLineEnds, EachLineBreakIsOneEndOfLine) { EXPECT_EQ(vx::box::atasciiLineEnds(GetParam().text), GetParam().sent); }
INSTANTIATE_TEST_SUITE_P(Texts, AtasciiLineEnds,
                         ::testing::Values(FormatCase{"ab\r\ncd", "ab" + E + "cd"}, FormatCase{"a\nb\rc", "a" + E + "b" + E + "c"},
                                           FormatCase{"\r\n\r\n", E + E}, FormatCase{"\n\r", E + E},
                                           FormatCase{"end\r", "end" + E}, FormatCase{"", ""},
                                           FormatCase{"a" + E + "\r\nb" + E + "\n", "a" + E + "b" + E},
                                           FormatCase{E + "\n\n", E + E}));

// What the clipboard holds, as the clipboard port reads it (look-alikes back to ATASCII, line
// breaks as CR LF), then as it goes to the board.
TEST(PasteToBoard, UnicodeLookAlikesAndLineEndsBecomeAtascii) {
    const struct {
        std::u32string copied;
        std::string sent;
    } rows[] = {
        {U"HI\nTHERE\n", "HI" + E + "THERE" + E},
        {U"\u2665\u2663\u2666\u2660", std::string("\x00\x10\x60\x7b", 4)},
        {U"caf\u00e9 \u4e2d", "caf\xe9 ?"},
        {U"line\u009b\nnext", "line" + E + "next"},
    };
    for (const auto& row : rows) EXPECT_EQ(vx::box::atasciiLineEnds(vx::box::bytesOfDisplay(row.copied)), row.sent);
}

// What a paste to the board makes of characters from elsewhere, given as the clipboard port
// reads them (accents apart from their letters): box drawing and blocks as the nearest ATASCII
// graphic, accented letters as their letter, anything else left out and counted.
TEST(PasteToBoard, EveryBoxAndBlockCharacterHasItsGraphic) {
    const struct {
        std::u32string copied;
        std::string sent;
        int dropped;
    } rows[] = {
        {U"\u250C\u2500\u2510", "\x11\x12\x05", 0},                      // ┌─┐
        {U"\u2502\u251C\u253C\u2524\u2502", "\x7c\x01\x13\x04\x7c", 0},  // │├┼┤│
        {U"\u2514\u2500\u2518", "\x1a\x12\x03", 0},                      // └─┘
        {U"\u250F\u2501\u2513\u2503\u2517\u251B", "\x11\x12\x05\x7c\x1a\x03", 0},
        {U"\u2554\u2550\u2557\u2551\u255A\u255D\u256C", "\x11\x12\x05\x7c\x1a\x03\x13", 0},
        {U"\u252C\u2534\u2566\u2569\u256D\u256F", "\x17\x18\x17\x18\x11\x03", 0},
        {U"\u2571\u2572\u2504\u254E\u2574\u2577", "\x06\x07\x12\x7c\x12\x7c", 0},
        {U"\u2588\u2580\u2584\u258C\u2590", "\xa0\x95\x15\x19\x99", 0},  // █▀▄▌▐
        {U"\u2596\u2597\u2598\u259D\u2594\u2582\u2595\u258E", "\x0f\x09\x0c\x0b\x0d\x0e\x02\x16", 0},
        {U"cafe\u0301 nai\u0308ve", "cafe naive", 0},  // é and ï as the port gives them
        {U"A\u00DFB\u4E2D\U0001F600C", "ABC", 3},      // ß, 中 and 😀 have no ATASCII
        {U"\u2665\u2191x\ty", std::string("\x00\x1cx\x7fy", 5), 0},
        {U"one\ntwo\r\nthree", "one\x9btwo\x9bthree", 0},
        {U"\uE011\uE09B", "\x11\x9b", 0},  // ATASCII codes copied from The Box
    };
    for (const auto& row : rows) {
        const vx::box::PasteBytes paste = vx::box::boardBytesOfPaste(row.copied);
        EXPECT_EQ(paste.bytes, row.sent);
        EXPECT_EQ(paste.dropped, row.dropped);
    }
}

struct PiecesCase {
    std::size_t length;
    std::vector<std::size_t> pieces;
};
class SendPieces : public ::testing::TestWithParam<PiecesCase> {};
TEST_P(SendPieces, Are152AtATime) {
    std::string text(GetParam().length, 'q');
    std::vector<std::size_t> sizes;
    std::string joined;
    for (const std::string& piece : vx::box::sendPieces(text)) {
        sizes.push_back(piece.size());
        joined += piece;
    }
    EXPECT_EQ(sizes, GetParam().pieces);
    EXPECT_EQ(joined, text);
}
INSTANTIATE_TEST_SUITE_P(Lengths, SendPieces,
                         ::testing::Values(PiecesCase{400, {152, 152, 96}}, PiecesCase{304, {152, 152, 0}},
                                           PiecesCase{152, {152, 0}}, PiecesCase{151, {151}},
                                           PiecesCase{1000, {152, 152, 152, 152, 152, 152, 88}}));

TEST(BoxDisplay, EveryByteComesBackExactly) {
    std::mt19937 random(11);
    for (int round = 0; round < 50; ++round) {
        std::string bytes;
        for (int i = 0; i < 300; ++i) bytes += static_cast<char>(random() % 256);
        EXPECT_EQ(vx::box::bytesOfDisplay(vx::box::displayText(bytes)), bytes);
    }
}

TEST(BoxDisplay, LinesBreakAtCrLfAndAtEndsOfLine) {
    EXPECT_EQ(vx::box::displayText("a\r\nb" + E + "c"), (std::u32string{U'a', U'\n', U'b', 0x2028, U'c'}));
    EXPECT_EQ(vx::box::displayText(std::string("\x11\x9b\xa0", 3)), (std::u32string{0xE011, 0x2028, 0xA0}));
    // Pasted Unicode: look-alikes become their ATASCII codes, the rest "?".
    EXPECT_EQ(vx::box::bytesOfDisplay(U"\u2665\u2501x\u00e9\u4e2d\n"), std::string("\x00\x12x\xe9?\r\n", 7));
}

}  // namespace
