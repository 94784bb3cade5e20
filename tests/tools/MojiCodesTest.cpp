// Code lists and screen dumps: text to codes and back, 'Moji files, the ATASCII dump of a screen
// and the codes that draw it again, and the names a dump is saved under.
#include <gtest/gtest.h>

#include <random>

#include "base/AtomicFile.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenInterpreter.h"
#include "screen/ScreenText.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "tools/MojiFiles.h"
#include "tools/ScreenDump.h"

namespace {

constexpr char kEol = static_cast<char>(155);

TEST(CodeLists, TextBecomesCodesAndBack) {
    EXPECT_EQ(vx::Cvt2ASCII("AB"), "65;66;");
    EXPECT_EQ(vx::Cvt2ASCII(std::string("\0\x9b\xff", 3)), "0;155;255;");
    std::string every;
    for (int c = 0; c < 256; ++c) every += static_cast<char>(c);
    EXPECT_EQ(vx::parseCodeList(vx::Cvt2ASCII(every)).bytes, every);
    EXPECT_EQ(vx::mojiFileBytes(vx::Cvt2ASCII("A")), std::string("\x22\x36\x35\x3b\x22\x0d\x0a"));  // 34 54 53 59 34 13 10
}

struct ParseCase {
    const char* name;
    std::string list;
    std::int64_t maxCodes;
    std::string bytes;
    int skipped;
};
class ParseCodeList : public ::testing::TestWithParam<ParseCase> {};
TEST_P(ParseCodeList, GivesTheBytesAndCountsWhatIsNoCode) {
    const vx::CodeList parsed = vx::parseCodeList(GetParam().list, GetParam().maxCodes);
    EXPECT_EQ(parsed.bytes, GetParam().bytes);
    EXPECT_EQ(parsed.skipped, GetParam().skipped);
}
INSTANTIATE_TEST_SUITE_P(
    Lists, ParseCodeList,
    ::testing::Values(ParseCase{"plain", "72;73;", 100, "HI", 0},
                      ParseCase{"the last number without its semicolon", "72;73", 100, "HI", 0},
                      ParseCase{"line breaks between groups", "72;\r\n73;\r\n", 100, "HI", 0},
                      ParseCase{"out of range and words are skipped", "72;256;-1;x;;999999;73;", 100, "HI", 5},
                      ParseCase{"blanks around a number", " 72 ; 73;", 100, "HI", 0},
                      ParseCase{"at most the count", "72;73;74;", 2, "HI", 0}, ParseCase{"nothing", "", 100, "", 0},
                      ParseCase{"leading zeros", "0065;00000000072;0;000;", 100, std::string("AH\0\0", 4), 0},
                      ParseCase{"leading zeros do not hide a large number", "0256;000000000000000000099999;", 100, "",
                                2}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(CodeLists, AFileGivesItsFirstFieldOrTheCodesThatDrawADump) {
    EXPECT_EQ(vx::mojiCodesOfFile("_chX1", "\"32;17;\"\r\n"), "32;17;");
    EXPECT_EQ(vx::mojiCodesOfFile("smile", "\"72;\""), "72;");
    const std::string dump = "A" + std::string(39, ' ') + kEol;
    EXPECT_EQ(vx::mojiCodesOfFile("screen.ATA", dump), "125;65;");
}

// A screen with text, graphics, inverse video, a full row and a full last row: its ATASCII dump
// drawn again on a fresh screen gives the same cells (but under the two cursors).
TEST(ScreenDumps, TheAtasciiDumpDrawsTheSameScreenAgain) {
    vx::Framebuffer original;
    vx::ScreenInterpreter screen(original);
    std::mt19937 random(1979);
    std::string stream(1, static_cast<char>(125));
    for (int row = 0; row < 24; ++row) {
        const int length = row % 5 == 0 ? 40 : static_cast<int>(random() % 40);
        for (int col = 0; col < length; ++col) {
            std::uint8_t code;
            do code = static_cast<std::uint8_t>(random() % 256);
            while (!vx::ScreenInterpreter::isPlainCharacter(code));
            stream += static_cast<char>(code);
        }
        if (row < 23 && length < 40) stream += kEol;
    }
    stream.pop_back();  // row 23 is full: its last cell wraps the cursor to a new row
    for (char c : stream) screen.ScreenHandler(static_cast<std::uint8_t>(c));
    const vx::GlyphIndex glyphs;
    const vx::ScreenCodes before = vx::readScreenCodes(original, glyphs, 40);

    const std::string dump = vx::atasciiScreenBytes(before);
    ASSERT_EQ(dump.size(), 24u * 41u);
    vx::Framebuffer copy;
    vx::ScreenInterpreter redraw(copy);
    for (char c : vx::redrawCodesOfScreenDump(dump)) redraw.ScreenHandler(static_cast<std::uint8_t>(c));
    const vx::ScreenCodes after = vx::readScreenCodes(copy, glyphs, 40);

    const auto cursorAt = [](const vx::ScreenInterpreter& s, int col, int row) {
        return s.state().CursorX == col && s.state().CursorY == row;
    };
    int compared = 0;
    for (int row = 0; row < 24; ++row)
        for (int col = 0; col < 40; ++col) {
            if (cursorAt(screen, col, row) || cursorAt(redraw, col, row)) continue;
            ASSERT_EQ(after[row][col], before[row][col]) << "row " << row << " column " << col;
            ++compared;
        }
    EXPECT_GT(compared, 950);
}

class ScreenDumpTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;
    vx::ConfigSettings config;
    vx::Framebuffer surface;
    vx::ScreenInterpreter screen{surface};
    int columns = 40;
    vx::ScreenDump dump{prompter, clock, config, surface, [this] { return columns; }};

    void SetUp() override {
        config.ScreenDumpPath = temp.path().string();
        config.DefaultBMPName = "screen.bmp";
        for (char c : std::string("HELLO")) screen.ScreenHandler(static_cast<std::uint8_t>(c));
    }
    std::string saved(vx::DumpFormat format) {
        std::string path = "none";
        dump.save(format, [&](const std::string& written) { path = written; });
        return path;
    }
};

TEST_F(ScreenDumpTest, NamesFollowTheTypedNameTheSettingAndTheFormat) {
    clock.time = {2026, 12, 6, 10, 51, 21};
    EXPECT_EQ(dump.proposedName(vx::DumpFormat::Bmp), "screen.bmp");
    EXPECT_EQ(dump.proposedName(vx::DumpFormat::Png), "screen.png");
    config.DTScreenDumpName = true;
    EXPECT_EQ(dump.proposedName(vx::DumpFormat::Bmp), "20261206-105121.bmp");
    EXPECT_EQ(dump.proposedName(vx::DumpFormat::Atascii), "20261206-105121.ata");

    prompter.textAnswers = {std::string("shot"), std::string("SHOT.BMP"), std::string("")};
    EXPECT_EQ(saved(vx::DumpFormat::Bmp), (temp / "shot.bmp").string());
    EXPECT_EQ(saved(vx::DumpFormat::Bmp), (temp / "SHOT.BMP").string());
    EXPECT_EQ(saved(vx::DumpFormat::Bmp), "");
    EXPECT_EQ(prompter.messages.back().text, "Action cancelled!");
    EXPECT_EQ(prompter.messages[0].text, "Screen saved to: \r" + (temp / "shot.bmp").string());
}

TEST_F(ScreenDumpTest, RefusingToOverwriteAsksForANewName) {
    prompter.textAnswers = {std::string("shot"), std::string("shot"), std::string("other")};
    prompter.yesNoAnswers = {false};
    ASSERT_NE(saved(vx::DumpFormat::Bmp), "");
    EXPECT_EQ(saved(vx::DumpFormat::Bmp), (temp / "other.bmp").string());
    ASSERT_EQ(prompter.questions.size(), 4u);  // name, name, overwrite?, name
    EXPECT_EQ(prompter.questions[1].text, "Enter a Filename: |screen.bmp");
    EXPECT_EQ(prompter.questions[2].title, "Save BMP");
    EXPECT_EQ(prompter.questions[3].text, "Enter a Filename: |");  // asked again with an empty box
}

TEST_F(ScreenDumpTest, EightyColumnsRefuseTheBitmapButNotTheOtherFormats) {
    columns = 80;
    EXPECT_EQ(saved(vx::DumpFormat::Bmp), "");
    EXPECT_EQ(prompter.messages.back().text, "Screen Dump to .BMP not supported in 80 column mode!");
    prompter.textAnswers = {std::string("wide")};
    const std::string path = saved(vx::DumpFormat::Text);
    std::string text;
    ASSERT_TRUE(vx::readWholeFile(path, text));
    EXPECT_EQ(text.substr(0, 5), "HELLO");
    EXPECT_EQ(text.find('\n'), 80u);
}

TEST_F(ScreenDumpTest, TheAtasciiFileIsTheScreensCodes) {
    prompter.textAnswers = {std::string("codes")};
    const std::string path = saved(vx::DumpFormat::Atascii);
    EXPECT_EQ(path, (temp / "codes.ata").string());
    std::string bytes;
    ASSERT_TRUE(vx::readWholeFile(path, bytes));
    ASSERT_EQ(bytes.size(), 24u * 41u);
    EXPECT_EQ(bytes.substr(0, 6), "HELLO\xa0");  // the block cursor stands on the sixth cell
    EXPECT_EQ(bytes[40], kEol);
}

}  // namespace
