#include <gtest/gtest.h>

#include <random>

#include "config/IniFile.h"

using vx::IniFile;

namespace {

const char* const kSample =
    "; a comment\r\n"
    "[Config]\r\n"
    "Version=3.14\r\n"
    "  Spaced Key  =  spaced value  \r\n"
    "Quoted=\"  inside quotes  \"\r\n"
    "Single='x'\r\n"
    "Mismatched=\"x'\r\n"
    "Empty=\r\n"
    "no equals sign here\r\n"
    "; Hidden=comment\r\n"
    "Dup=first\r\n"
    "dup=second\r\n"
    "\r\n"
    "[capture]\r\n"
    "Folder=C:\\Users\\me\\Documents\\Vexterm\\Captures\r\n"
    "[CONFIG]\r\n"
    "Later=from the second section\r\n";

TEST(IniFileRead, FollowsTheProfileRules) {
    const IniFile file = IniFile::parse(kSample);
    EXPECT_EQ(file.read("Config", "Version", "d"), "3.14");
    EXPECT_EQ(file.read("config", "VERSION", "d"), "3.14");              // any letter case
    EXPECT_EQ(file.read("Config", "Spaced Key", "d"), "spaced value");   // trimmed
    EXPECT_EQ(file.read("Config", "Quoted", "d"), "  inside quotes  ");  // quotes removed
    EXPECT_EQ(file.read("Config", "Single", "d"), "x");
    EXPECT_EQ(file.read("Config", "Mismatched", "d"), "\"x'");  // no matching pair
    EXPECT_EQ(file.read("Config", "Empty", "d"), "");           // present but empty
    EXPECT_EQ(file.read("Config", "Hidden", "d"), "d");         // comments are no keys
    EXPECT_EQ(file.read("Config", "no equals sign here", "d"), "d");
    EXPECT_EQ(file.read("Config", "Dup", "d"), "first");  // first match wins
    EXPECT_EQ(file.read("Config", "Later", "d"), "d");    // only the first section
    EXPECT_EQ(file.read("Capture", "Folder", "d"), "C:\\Users\\me\\Documents\\Vexterm\\Captures");
    EXPECT_EQ(file.read("Missing", "Version", "fallback"), "fallback");
    EXPECT_EQ(file.read("Config", "Missing", "fallback  "), "fallback");  // default's trailing blanks go
    EXPECT_EQ(file.read("Config", "Missing", " "), "");
}

TEST(IniFileRead, CutsValuesAndDefaultsTo254Characters) {
    const std::string longValue(300, 'v');
    const IniFile file = IniFile::parse("[S]\r\nK=" + longValue + "\r\n");
    EXPECT_EQ(file.read("S", "K", ""), std::string(254, 'v'));
    EXPECT_EQ(file.find("S", "K"), longValue);
    EXPECT_EQ(file.read("S", "X", longValue), std::string(254, 'v'));
}

TEST(IniFileRead, AcceptsLineFeedsByteOrderMarkAndKeysBeforeAnySection) {
    const IniFile file = IniFile::parse("\xEF\xBB\xBF[A]\nx=1\nstray line\n[B]\ny = 2");
    EXPECT_EQ(file.read("A", "x", ""), "1");
    EXPECT_EQ(file.read("B", "y", ""), "2");
    const IniFile preamble = IniFile::parse("k=v\r\n[A]\r\n");
    EXPECT_EQ(preamble.read("", "k", "none"), "none");
    EXPECT_TRUE(preamble.hasSection("a"));
}

TEST(IniFileWrite, ChangesOnlyTheKeysLine) {
    IniFile file = IniFile::parse(kSample);
    file.write("CONFIG", "spaced key", "new");
    file.write("Config", "Quoted", "q");
    std::string expected = kSample;
    expected.replace(expected.find("  Spaced Key  =  spaced value  "), 31, "Spaced Key=new");
    expected.replace(expected.find("Quoted=\"  inside quotes  \""), 26, "Quoted=q");
    EXPECT_EQ(file.serialize(), expected);
}

TEST(IniFileWrite, AddsKeysAtTheEndOfTheirSectionAndSectionsAtTheEndOfTheFile) {
    IniFile file = IniFile::parse("[Config]\r\nA=1\r\n; note\r\n\r\n \r\n[BBS]\r\n \r\n");
    file.write("Config", "B", "2");
    file.write("BBS", "1", "Board");
    file.write("Capture", "C", "3");
    file.write("capture", "D", "4");
    EXPECT_EQ(file.serialize(),
              "[Config]\r\nA=1\r\n; note\r\nB=2\r\n\r\n \r\n[BBS]\r\n1=Board\r\n \r\n[Capture]\r\nC=3\r\nD=4\r\n");
}

TEST(IniFileWrite, HandlesFilesWithoutFinalLineEnd) {
    IniFile lastKey = IniFile::parse("[A]\nx=1");
    lastKey.write("A", "y", "2");
    EXPECT_EQ(lastKey.serialize(), "[A]\nx=1\r\ny=2\r\n");

    IniFile lastHeader = IniFile::parse("[A]");
    lastHeader.write("A", "y", "2");
    EXPECT_EQ(lastHeader.serialize(), "[A]\r\ny=2\r\n");

    IniFile newSection = IniFile::parse("; only a comment");
    newSection.write("S", "k", "v");
    EXPECT_EQ(newSection.serialize(), "; only a comment\r\n[S]\r\nk=v\r\n");

    IniFile empty = IniFile::parse("");
    empty.write("S", "k", "v");
    EXPECT_EQ(empty.serialize(), "[S]\r\nk=v\r\n");
}

TEST(IniFileWrite, KeepsTheByteOrderMarkAndLineFeedLines) {
    IniFile file = IniFile::parse("\xEF\xBB\xBF[A]\nx=1\n");
    file.write("A", "x", "2");
    EXPECT_EQ(file.serialize(), "\xEF\xBB\xBF[A]\nx=2\n");
}

TEST(IniFileWrite, NeverLetsAValueBreakIntoLines) {
    IniFile file = IniFile::parse("[A]\r\n");
    file.write("A", "x", "one\r\n[Injected]\r\ny=2");
    EXPECT_FALSE(file.hasSection("Injected"));
    EXPECT_EQ(file.read("A", "x", ""), "one  [Injected]  y=2");
    EXPECT_EQ(file.read("A", "y", "none"), "none");
}

TEST(IniFileWrite, ReadsBackWhatItWrote) {
    IniFile file = IniFile::parse(kSample);
    file.write("New Section", "Key", "Value with = sign");
    file.write("Config", "Empty", "filled");
    const IniFile again = IniFile::parse(file.serialize());
    EXPECT_EQ(again.read("new section", "key", ""), "Value with = sign");
    EXPECT_EQ(again.read("Config", "Empty", ""), "filled");
    EXPECT_EQ(again.read("Config", "Dup", ""), "first");
}

// A read takes a pair of quotes off a value, so a value that has such a pair of its own (a board
// named 'Nuff Said', imported from a list) is stored inside one more; other values are stored as
// they are, as the Windows program wrote them.
struct StoredValue {
    const char* name;
    std::string value;
    std::string line;
};
void PrintTo(const StoredValue& c, std::ostream* out) { *out << c.name; }

class IniFileStoredValue : public ::testing::TestWithParam<StoredValue> {};

TEST_P(IniFileStoredValue, ReadsBackAsWritten) {
    IniFile file = IniFile::parse("[A]\r\n");
    file.write("A", "K", GetParam().value);
    EXPECT_EQ(file.serialize(), "[A]\r\n" + GetParam().line + "\r\n");
    EXPECT_EQ(IniFile::parse(file.serialize()).read("A", "K", "missing"), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniFileStoredValue,
    ::testing::Values(StoredValue{"Plain", "The 8-Bit Den", "K=The 8-Bit Den"},
                      StoredValue{"QuotesInside", "The \"Den\"", "K=The \"Den\""},
                      StoredValue{"MismatchedQuotes", "\"x'", "K=\"x'"},
                      StoredValue{"OneQuote", "\"", "K=\""},
                      StoredValue{"DoubleQuotesAround", "\"Den\"", "K=\"\"Den\"\""},
                      StoredValue{"SingleQuotesAround", "'Nuff Said'", "K=\"'Nuff Said'\""},
                      StoredValue{"EmptyQuotes", "\"\"", "K=\"\"\"\""},
                      StoredValue{"BlanksInsideAndOutside", " \" x \" ", "K=\" \" x \" \""}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever the bytes, a file that is parsed and written back without changes is identical.
TEST(IniFileParse, RoundTripsArbitraryBytesExactly) {
    std::mt19937 random(99);
    const std::string alphabet = "[]=;\r\n \t\"'abcAB\xEF\xBB\xBF\x00\x9B";
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        const int length = std::uniform_int_distribution<int>(0, 120)(random);
        for (int i = 0; i < length; ++i)
            bytes += round % 4 == 0
                         ? static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random))
                         : alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        // UTF-16 files too, of odd length and with units beyond Latin-1.
        if (round % 5 == 1) bytes = "\xFF\xFE" + bytes;
        if (round % 5 == 2) bytes = "\xFE\xFF" + bytes;
        IniFile file = IniFile::parse(bytes);
        ASSERT_EQ(file.serialize(), bytes) << "round " << round;
        file.write("New", "Key", "v");
        ASSERT_EQ(IniFile::parse(file.serialize()).read("New", "Key", ""), "v") << "round " << round;
    }
}

}  // namespace
