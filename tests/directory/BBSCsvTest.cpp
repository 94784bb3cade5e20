// The BBS list as CSV: the parser's rules as a table, a round trip through a fresh list, and the
// import's refusals with their reasons; other terminals' dialing directories through the same import.
#include <gtest/gtest.h>

#include <tuple>

#include "config/IniFile.h"
#include "directory/BBSCsv.h"
#include "directory/DialingDirectories.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

using vx::bbscsv::Refusal;

namespace {

struct CsvCase {
    const char* name;
    std::string text;
    std::vector<std::vector<std::string>> rows;
};
void PrintTo(const CsvCase& c, std::ostream* out) { *out << c.name; }

class CsvParsing : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvParsing, SplitsRowsAndFields) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& row : vx::bbscsv::parseCsv(GetParam().text)) rows.push_back(row.fields);
    EXPECT_EQ(rows, GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CsvParsing,
    ::testing::Values(CsvCase{"Plain", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
                      CsvCase{"LfAndCrEndRowsToo", "a\nb\rc", {{"a"}, {"b"}, {"c"}}},
                      CsvCase{"QuotedCommaAndDoubledQuote", "\"x, y\",\"say \"\"hi\"\"\"", {{"x, y", "say \"hi\""}}},
                      CsvCase{"LineBreakInsideQuotes", "\"two\r\nlines\",z\r\n", {{"two\r\nlines", "z"}}},
                      CsvCase{"BlankLinesAreSkipped", "a\r\n\r\n\r\nb\r\n", {{"a"}, {"b"}}},
                      CsvCase{"EmptyFieldsAreKept", ",,\r\n", {{"", "", ""}}},
                      CsvCase{"NoLineEndAtTheEnd", "a,b", {{"a", "b"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvParsing, AnUnclosedQuoteMarksItsRow) {
    const auto rows = vx::bbscsv::parseCsv("a,b\r\n\"never closed,c\r\nd\r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows[0].unterminatedQuote);
    EXPECT_TRUE(rows[1].unterminatedQuote);
    EXPECT_EQ(rows[1].line, 2);
}

class BBSCsvTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::SettingsStore store;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;

    std::unique_ptr<vx::BBSList> freshList(const std::string& name) {
        auto list = std::make_unique<vx::BBSList>(store, prompter, clock, (temp / name).string());
        EXPECT_TRUE(list->CreateBBSListFile());
        EXPECT_TRUE(list->LoadBBSList());
        return list;
    }
};

// Export, then import into another list: every field comes back, commas, quotes and Latin-1
// letters included.
TEST_F(BBSCsvTest, ARoundTripKeepsEveryField) {
    auto from = freshList("from.ini");
    ASSERT_TRUE(from->addRecord());
    vx::BBSRecord record = from->recordOf("2");
    record.BBSname = "Caf\xE9 \"Atari\", Board";
    record.URL = "bbs.example.org";
    record.Port = 6400;
    record.Sysop = "Ren\xE9";
    record.Website = "https://bbs.example.org/";
    record.Comment = "open nights, \"mostly\"";
    record.Protocol = "Auto";
    ASSERT_TRUE(from->SaveBBSRecord("2", record, false));
    const std::string file = (temp / "boards.csv").string();
    ASSERT_EQ(vx::bbscsv::exportFile(*from, file), "");

    auto into = freshList("into.ini");
    const auto result = vx::bbscsv::importFile(*into, file);
    EXPECT_EQ(result.error, "");
    // The sample board is in both lists already: the import knows it and leaves it out.
    EXPECT_EQ(result.refused, (std::vector<Refusal>{{2, "already in the list: 127.0.0.1:6502"}}));
    ASSERT_EQ(result.added, (std::vector<int>{2}));
    const vx::BBSRecord back = into->recordOf("2");
    EXPECT_EQ(back.BBSname, record.BBSname);
    EXPECT_EQ(back.URL, record.URL);
    EXPECT_EQ(back.Port, 6400);
    EXPECT_EQ(back.Sysop, record.Sysop);
    EXPECT_EQ(back.Website, record.Website);
    EXPECT_EQ(back.Comment, record.Comment);
    EXPECT_EQ(back.Protocol, "Auto");
    EXPECT_EQ(into->numBBS(), 2);
    EXPECT_TRUE(into->CheckBBSCount(false));
    EXPECT_EQ(into->entries().size(), 2u);
}

// Quotes around a whole name are part of it: the list keeps them, and so does the next export.
TEST_F(BBSCsvTest, NamesInQuotesKeepTheirQuotes) {
    auto list = freshList("list.ini");
    const auto result = vx::bbscsv::importText(
        *list,
        "Name,Address,Sysop\r\n\"\"\"Den\"\"\",den.example.org,\"\"\"\"\"\"\r\n'Nuff Said',nuff.example.org,\r\n");
    ASSERT_EQ(result.added, (std::vector<int>{2, 3}));
    EXPECT_EQ(list->recordOf("2").BBSname, "\"Den\"");
    EXPECT_EQ(list->recordOf("2").Sysop, "\"\"");
    EXPECT_EQ(list->recordOf("3").BBSname, "'Nuff Said'");

    auto into = freshList("into.ini");
    const auto again = vx::bbscsv::importText(*into, vx::bbscsv::exportText(*list));
    EXPECT_EQ(again.added, (std::vector<int>{2, 3}));
    EXPECT_EQ(into->recordOf("2").BBSname, "\"Den\"");
    EXPECT_EQ(into->recordOf("3").BBSname, "'Nuff Said'");
}

// The list holds each text on one line: a line break in a quoted field is a blank, before the
// checks, so a name of line breaks alone is no name and an address broken over two lines is a
// host with a blank.
TEST_F(BBSCsvTest, LineBreaksInFieldsAreBlanks) {
    auto list = freshList("list.ini");
    const auto result = vx::bbscsv::importText(*list,
                                               "Name,Address,Comment\r\n"
                                               "\"\r\n\",lines.example.org\r\n"
                                               "Split,\"x\ny\",\r\n"
                                               "Joined,joined.example.org,\"two\r\nlines\"\r\n");
    EXPECT_EQ(result.refused, (std::vector<Refusal>{{2, "no name"}, {4, "the host 'x y' holds a blank"}}));
    ASSERT_EQ(result.added, (std::vector<int>{2}));
    EXPECT_EQ(list->recordOf("2").Comment, "two  lines");
}

// An address that holds one colon goes out in brackets; without them the import would take
// its last part for a port.
TEST_F(BBSCsvTest, AnExportedAddressImportsAsTheSameHost) {
    auto list = freshList("list.ini");
    ASSERT_EQ(vx::bbscsv::importText(*list, "Name,Address\r\nOne Colon,[a:b]:2323\r\nSix,[2001:db8::1]\r\n").added,
              (std::vector<int>{2, 3}));
    auto into = freshList("into.ini");
    const auto again = vx::bbscsv::importText(*into, vx::bbscsv::exportText(*list));
    EXPECT_EQ(again.added, (std::vector<int>{2, 3}));
    EXPECT_EQ(into->recordOf("2").URL, "a:b");
    EXPECT_EQ(into->recordOf("2").Port, 2323);
    EXPECT_EQ(into->recordOf("3").URL, "2001:db8::1");
}

TEST_F(BBSCsvTest, RefusedRowsSayWhy) {
    auto list = freshList("list.ini");
    const std::string csv =
        "Name,Address,Port,Sysop,Protocol\r\n"
        "Good One,good.example.org,23,Ann,telnet\r\n"
        ",nameless.example.org,23,\r\n"
        "No Address,,23,\r\n"
        "Bad Port,bad.example.org,99999,\r\n"
        "Twice,good.example.org,23,\r\n"
        "Clash,clash.example.org:7000,23,\r\n"
        "In Brackets,[2001:db8::1]:8000,,,\r\n"
        "Bridge,bridge.example.org,23,,ssh\r\n"
        "Open Quote,\"x.example.org,23\r\n";
    const auto result = vx::bbscsv::importText(*list, csv);
    EXPECT_EQ(result.refused,
              (std::vector<Refusal>{{3, "no name"},
                                    {4, "no address"},
                                    {5, "bad port '99999' (1 to 65535)"},
                                    {6, "already in the list: good.example.org:23"},
                                    {7, "the address says port 7000, the Port column 23"},
                                    {9, "bad protocol 'ssh' (Raw, Telnet or Auto)"},
                                    {10, "a quoted field is not closed"}}));
    ASSERT_EQ(result.added, (std::vector<int>{2, 3}));
    EXPECT_EQ(list->recordOf("2").Sysop, "Ann");
    EXPECT_EQ(list->recordOf("2").Protocol, "Telnet");
    EXPECT_EQ(list->recordOf("3").Protocol, "Raw");
    EXPECT_EQ(list->recordOf("3").URL, "2001:db8::1");
    EXPECT_EQ(list->recordOf("3").Port, 8000);
    EXPECT_EQ(result.report(),
              "Imported 2 boards.\r7 rows were refused:\r  line 3: no name\r  line 4: no address\r"
              "  line 5: bad port '99999' (1 to 65535)\r  line 6: already in the list: good.example.org:23\r"
              "  line 7: the address says port 7000, the Port column 23\r"
              "  line 9: bad protocol 'ssh' (Raw, Telnet or Auto)\r  line 10: a quoted field is not closed");
}

// One imported row each (UTF-8): what the list then holds, in Windows-1252, or why it is refused.
struct ImportedRow {
    const char* name;
    std::string row;  // Name,Address,Port,Comment,Protocol
    std::string url, protocol, comment, refusal;
    int port;
};
void PrintTo(const ImportedRow& r, std::ostream* out) { *out << r.name; }
class ImportedRows : public BBSCsvTest, public ::testing::WithParamInterface<ImportedRow> {};

TEST_P(ImportedRows, AreStoredAsTheyWillBeDialledOrRefused) {
    auto list = freshList("list.ini");
    const ImportedRow& r = GetParam();
    const auto result = vx::bbscsv::importText(*list, "Name,Address,Port,Comment,Protocol\r\n" + r.row + "\r\n");
    if (!r.refusal.empty()) {
        ASSERT_EQ(result.refused.size(), 1u);
        EXPECT_EQ(result.refused[0].reason, r.refusal);
        EXPECT_TRUE(result.added.empty());
        return;
    }
    ASSERT_EQ(result.added, (std::vector<int>{2})) << result.report();
    const vx::BBSRecord record = list->recordOf("2");
    EXPECT_EQ(std::tie(record.URL, record.Port, record.Protocol, record.Comment),
              std::tie(r.url, r.port, r.protocol, r.comment));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ImportedRows,
    ::testing::Values(
        ImportedRow{"EuroSignIsByte80", "E,e.example.org,,5 \u20AC \u201Cq\u201D,", "e.example.org", "Raw",
                    "5 \x80 \x93q\x94", "", 23},
        ImportedRow{"PolishLetterRefused", "\u0141\u00F3d\u017A,lodz.example.org,,,", "", "", "",
                    "the character U+0141 in the Name cannot be kept in the BBS list (Windows-1252)", 0},
        ImportedRow{"TelnetLinkSetsTheLine", "T,telnet://t.example:2323,,,", "t.example", "Telnet", "", "", 2323},
        ImportedRow{"AtasciiLinkIsRaw", "A,atascii://a.example/,6502,,", "a.example", "Raw", "", "", 6502},
        ImportedRow{"LinkAndProtocolDisagree", "C,telnet://c.example,,,Raw", "", "", "",
                    "the address says Telnet, the Protocol column Raw", 0},
        ImportedRow{"OtherSchemesRefused", "S,ssh://s.example,,,", "", "", "",
                    "only telnet:// and atascii:// links can be dialled: ssh://s.example", 0},
        ImportedRow{"BlankInHostRefused", "B,host name,,,", "", "", "", "the host 'host name' holds a blank", 0},
        ImportedRow{"ShellCharacterRefused", "S,a$(reboot),,,", "", "", "", "the host 'a$(reboot)' holds '$'", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BBSCsvTest, AFileWithoutItsHeaderIsNotImported) {
    auto list = freshList("list.ini");
    const auto result = vx::bbscsv::importText(*list, "Good One,good.example.org,23\r\n");
    EXPECT_NE(result.error, "");
    EXPECT_TRUE(result.added.empty());
    EXPECT_EQ(list->numBBS(), 1);
}

TEST_F(BBSCsvTest, TheListTakesNoMoreThan255Boards) {
    auto list = freshList("list.ini");
    std::string csv = "name,address\r\n";
    for (int i = 0; i < 260; ++i) csv += "Board " + std::to_string(i) + ",host" + std::to_string(i) + ".example.org\r\n";
    const auto result = vx::bbscsv::importText(*list, csv);
    EXPECT_EQ(result.added.size(), 254u);  // the sample board holds ID 1
    ASSERT_EQ(result.refused.size(), 6u);
    EXPECT_EQ(result.refused[0].reason, "the list is full (255 boards)");
    EXPECT_EQ(list->numBBS(), 255);
    EXPECT_TRUE(list->CheckBBSCount(false));
}

// ID 254 is free in the map but its section still holds a board (a list edited by hand): the
// one ID left takes one row, the other is refused, and the board is kept.
TEST_F(BBSCsvTest, AnIdWhoseSectionHoldsABoardIsNoRoom) {
    const std::string path = (temp / "full.ini").string();
    ASSERT_EQ(store.replaceFile(path, "[Config]\r\nNumBBS= 253\r\nBBSMap=" + std::string(253, '1') +
                                          "00\r\n[254]\r\nBBSname=Not in the map\r\n"),
              vx::SettingsStore::kOk);
    vx::BBSList list(store, prompter, clock, path);
    ASSERT_TRUE(list.LoadBBSList());
    const auto result = vx::bbscsv::importText(list, "Name,Address\r\nOne,one.example.org\r\nTwo,two.example.org\r\n");
    EXPECT_EQ(result.added, (std::vector<int>{255}));
    EXPECT_EQ(result.refused, (std::vector<Refusal>{{3, "the list is full (255 boards)"}}));
    EXPECT_EQ(list.recordOf("254").BBSname, "Not in the map");
    EXPECT_EQ(list.recordOf("255").BBSname, "One");
}

TEST_F(BBSCsvTest, UnreadableAndHugeFilesAreRefused) {
    auto list = freshList("list.ini");
    EXPECT_NE(vx::bbscsv::importFile(*list, (temp / "missing.csv").string()).error, "");
    EXPECT_NE(vx::bbscsv::exportFile(*list, (temp / "no-such-folder" / "out.csv").string()), "");
}

// The kind of file is told by its first line that says anything, never by its name.
TEST(BoardFileKinds, AreToldByTheContent) {
    using vx::bbscsv::BoardFileKind;
    const std::pair<std::string, BoardFileKind> cases[] = {
        {"Name,Address\r\n[One],one.example.org\r\n", BoardFileKind::Csv},
        {"; list\r\n\r\n[One]\r\n\tAddress=one.example.org\r\n", BoardFileKind::IniDirectory},
        {"# book\n[entry]\nname=One\naddress=one.example.org\n", BoardFileKind::PhoneBook},
        {"\xEF\xBB\xBF[entry]\nmethod=TELNET\n", BoardFileKind::PhoneBook},
        {"[entry]\nAddress=entry.example.org\n", BoardFileKind::IniDirectory},  // a board named "entry"
    };
    for (const auto& [text, kind] : cases) EXPECT_EQ(vx::bbscsv::boardFileKind(text), kind) << text;
}

// A directory file of a dozen boards or more, written from the format's description: the boards
// that can be called are added as the CSV import adds them, the others refused at their section.
struct Board {
    std::string name, url, protocol, comment;
    int port;
};
struct DirectoryFile {
    const char* file;
    std::vector<Board> added;
    std::vector<Refusal> refused;
};
void PrintTo(const DirectoryFile& d, std::ostream* out) { *out << d.file; }
class DirectoryFiles : public BBSCsvTest, public ::testing::WithParamInterface<DirectoryFile> {};

std::string reachedBy(const std::string& how) {
    return "a board reached by " + how + ": only telnet and raw TCP boards can be called";
}

TEST_P(DirectoryFiles, GiveTheBoardsTheyHoldAndSayWhyOthersAreLeftOut) {
    auto list = freshList("list.ini");
    const auto result =
        vx::bbscsv::importFile(*list, std::string(VX_TEST_DATA_DIR) + "/directory/directories/" + GetParam().file);
    EXPECT_EQ(result.refused, GetParam().refused) << result.report();
    ASSERT_EQ(result.added.size(), GetParam().added.size()) << result.report();
    for (std::size_t i = 0; i < result.added.size(); ++i) {
        const vx::BBSRecord got = list->recordOf(std::to_string(result.added[i]));
        const Board& want = GetParam().added[i];
        EXPECT_EQ(std::tie(got.BBSname, got.URL, got.Port, got.Protocol, got.Comment),
                  std::tie(want.name, want.url, want.port, want.protocol, want.comment));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DirectoryFiles,
    ::testing::Values(DirectoryFile{"ini-directory.lst",
                                    {{"Atari Haven", "haven.example.org", "Telnet", "Home of the 850 crowd", 23},
                                     {"Basement BBS", "basement.example.net", "Telnet", "", 6502},
                                     {"Raw Bridge", "bridge.example.com", "Raw", "", 9000},
                                     {"No Type Given", "notype.example.org", "Telnet", "", 23},
                                     {"Caf\xE9 8-Bit", "cafe.example.fr", "Telnet",
                                      "Bienvenue \x96 bonne soir\xE9"
                                      "e",
                                      2323},
                                     {"Lower Keys", "lower.example.org", "Telnet", "", 8023},
                                     {"IPv6 Board", "2001:db8::64", "Telnet", "", 23}},
                                    {{21, reachedBy("SSH")},
                                     {26, reachedBy("RLogin")},
                                     {31, reachedBy("Modem")},
                                     {54, "no address"},
                                     {58, "bad port '70000' (1 to 65535)"},
                                     {63, "already in the list: HAVEN.example.org:23"},
                                     {68, reachedBy("Shell")}}},
                      DirectoryFile{"phone-book.txt",
                                    {{"Atari Haven", "haven.example.org", "Telnet", "", 23},
                                     {"Raw Socket Board", "socket.example.net", "Raw", "", 6502},
                                     {"Default Port", "default.example.org", "Telnet", "", 23},
                                     {"No Method", "nomethod.example.org", "Telnet", "", 2300},
                                     {"Tab Spaced", "tabbed.example.com", "Telnet", "", 1023},
                                     {"Bracketed Host", "2001:db8::7", "Telnet", "", 8023}},
                                    {{22, reachedBy("SSH")},
                                     {28, reachedBy("RLOGIN")},
                                     {34, reachedBy("MODEM")},
                                     {50, reachedBy("CMDLINE")},
                                     {67, "no name"},
                                     {72, "the host 'a$(reboot)' holds '$'"}}}),
    [](const auto& info) {
        std::string name = info.param.file;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

}  // namespace
