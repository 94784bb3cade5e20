#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "config/IniFile.h"
#include "config/Scrambler.h"
#include "directory/BBSList.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

using vx::BBSList;
using vx::BBSRecord;

namespace {

constexpr char kEol = static_cast<char>(155);

using vx::test::readFile;

class BBSListTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    std::string path = (temp / "VX3_BBS.INI").string();
    vx::SettingsStore store;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;
    BBSList list{store, prompter, clock, path};

    std::string stored(const std::string& section, const std::string& key) {
        return vx::IniFile::parse(readFile(path)).read(section, key, "<missing>");
    }
    void createWithRecords(int count) {
        ASSERT_TRUE(list.CreateBBSListFile());
        ASSERT_TRUE(list.LoadBBSList());
        for (int i = 2; i <= count; ++i) ASSERT_EQ(list.addRecord(), i);
    }
    std::vector<int> listedIds() const {
        std::vector<int> ids;
        for (const auto& entry : list.entries()) ids.push_back(entry.id);
        return ids;
    }
};

TEST_F(BBSListTest, NewFileHoldsTheDefaultAndTheSampleRecord) {
    ASSERT_TRUE(list.CreateBBSListFile());
    const std::string text = readFile(path);
    EXPECT_EQ(text.substr(0, text.find("[System]")),
              ";Vexterm BBS List File\r\n"
              ";\r\n"
              ";    File created by: Version 3.14  Build: 717\r\n"
              ";    File created on: 2026.12.06 - 10:51 AM\r\n"
              " \r\n");
    EXPECT_NE(text.find("[Config]\r\nNumBBS=1\r\nBBSMap="), std::string::npos);
    EXPECT_EQ(stored("System", "LastVersion"), "3.14  Build: 717");
    EXPECT_EQ(stored("System", "LastEdited"), "2026.12.06 - 10:51 AM");
    EXPECT_NE(readFile(path).find("\r\nBBSMap=1" + std::string(254, '0') + "\r\n"), std::string::npos);
    EXPECT_EQ(stored("BBS", "1"), "Vexterm Demo BBS");
    EXPECT_EQ(stored("BBS", "Default"), "<missing>");
    EXPECT_EQ(stored("Default", "BBSname"), "Default BBS Record");
    EXPECT_EQ(stored("Default", "Port"), "23");
    EXPECT_NE(text.find("\r\nPort= 23\r\n"), std::string::npos);
    EXPECT_EQ(stored("Default", "Created"), "12/6/2026 10:51:21 AM");
    EXPECT_EQ(stored("Default", "LastCall"), "12:00:00 AM");
    EXPECT_EQ(stored("Default", "Macro0"), "yourlogin<cr>");
    EXPECT_EQ(stored("Default", "Macro1"), "yourpassword<cr>");
    EXPECT_EQ(stored("Default", "Macro9"), "");
    EXPECT_EQ(stored("1", "URL"), "127.0.0.1");
    EXPECT_EQ(stored("1", "Port"), "6502");
    EXPECT_EQ(stored("1", "Macro0"), "yourlogin<cr>");

    ASSERT_TRUE(list.LoadBBSList());
    EXPECT_EQ(list.numBBS(), 1);
    EXPECT_EQ(list.entries(), (std::vector<vx::BBSListEntry>{{1, "Vexterm Demo BBS"}}));
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    EXPECT_TRUE(list.record().BaudSim);
    EXPECT_TRUE(list.record().Permanent);
    EXPECT_EQ(list.activeMacros()[0], std::string("yourlogin") + kEol);
    EXPECT_EQ(list.BBSListStampText(), "2026.12.06 - 10:51 AM by v3.14  Build: 717");
}

// Every field of a record survives SaveBBSRecord and LoadBBSRecord.
TEST_F(BBSListTest, EveryFieldRoundTrips) {
    createWithRecords(1);
    BBSRecord record;
    record.BBSname = "Round Trip";
    record.URL = "bbs.example.net";
    record.Sysop = "Sysop Name";
    record.Comment = "A comment, with = signs";
    record.Website = "http://bbs.example.net/";
    record.Signature = "-= me =-";
    record.StayAlive = record.BaudSim = record.Permanent = record.Mode80Col = true;
    record.LANtronix = record.HideFromList = record.ClrBufferOnDisc = record.AlarmColEnabled = true;
    record.NoWrap = record.BBSXv1 = record.OneAtaTime = true;
    record.Created = "12/6/2026 10:51:21 AM";
    record.LastEdited = "12/06/2026 10:51 AM";
    record.Port = 49152;  // above the 16-bit range: must survive the round trip
    record.PortList = "23 8888 9000";
    record.AlarmColValue = 35;
    record.SendDelayValue = 12;
    record.Connects = 57;
    record.LastTimeOnline = "1:02:05";
    record.BBSXDelay = "450";
    record.MaxBaud = 2400;
    for (int n = 0; n < 10; ++n) record.macros[static_cast<std::size_t>(n)] = {"macro " + std::to_string(n), "0"};
    list.SaveBBSRecord("1", record, false);
    // The statistics belong to the calls: a save keeps them as counted, a call's end writes them.
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    list.record().TotalTime = 3725;
    list.record().MaxBaud = 2400;
    list.UpdateBBSStats("1", true, "1:02:05");
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    BBSRecord expected = record;
    expected.LastCall = "12:00:00 AM";  // as the sample record was created
    expected.Connects = 0;              // no call came up
    expected.TotalTime = 3725;
    EXPECT_EQ(list.record(), expected);
    EXPECT_EQ(list.activeMacros()[4], "macro 4");
    EXPECT_EQ(list.portCount(), 3);
}

TEST_F(BBSListTest, DeletedIdsAreReusedWithoutStaleValues) {
    createWithRecords(5);
    ASSERT_TRUE(list.LoadBBSRecord("3"));
    list.record().Sysop = "Was here";
    list.SaveBBSRecord("3", list.record(), false);
    list.DeleteBBSRecord("3");
    EXPECT_EQ(list.numBBS(), 4);
    EXPECT_EQ(listedIds(), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(stored("3", "Sysop"), "");
    EXPECT_EQ(stored("BBS", "3"), "");
    EXPECT_TRUE(list.listChanged());

    EXPECT_EQ(list.addRecord(), 3);
    EXPECT_EQ(list.numBBS(), 5);
    EXPECT_TRUE(list.CheckBBSCount(false));
    ASSERT_TRUE(list.LoadBBSRecord("3"));
    EXPECT_EQ(list.record().BBSname, "New BBS - 3");
    EXPECT_EQ(list.record().Sysop, "{BBS Sysop name}");  // from the DEFAULT record, not the old one
    EXPECT_EQ(list.record().Comment, "");
    EXPECT_EQ(list.record().Created, "12/6/2026 10:51:21 AM");  // the general form, as the file's other dates
    EXPECT_EQ(stored("Config", "NumBBS"), "5");
}

TEST_F(BBSListTest, HiddenRecordsAreCountedButNotListed) {
    createWithRecords(3);
    ASSERT_TRUE(list.LoadBBSRecord("2"));
    list.record().HideFromList = true;
    list.SaveBBSRecord("2", list.record(), false);
    list.FillBBSList();
    EXPECT_EQ(listedIds(), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.numBBS(), 3);
    EXPECT_EQ(list.map().substr(0, 4), "1110");
    EXPECT_TRUE(list.CheckBBSCount(false));
}

TEST_F(BBSListTest, TheDefaultRecordCannotBeDeleted) {
    createWithRecords(1);
    const std::string before = readFile(path);
    list.DeleteBBSRecord("default");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Cannot delete default record.");
    EXPECT_EQ(readFile(path), before);
}

TEST_F(BBSListTest, CountCheckRepairsNumBBSFromTheMap) {
    createWithRecords(3);
    store.WriteSettingValue(path, "Config", "NumBBS", "S", "5");
    ASSERT_TRUE(list.LoadBBSList());
    EXPECT_FALSE(list.CheckBBSCount(false));
    EXPECT_EQ(stored("Config", "NumBBS"), "5");
    EXPECT_FALSE(list.CheckBBSCount(true));
    EXPECT_EQ(list.numBBS(), 3);
    EXPECT_TRUE(list.CheckBBSCount(false));
    EXPECT_NE(readFile(path).find("\r\nNumBBS=3\r\n"), std::string::npos);
}

// A hand-edited count lower than the boards the map marks: deleting never takes it below the
// boards left, so the list still loads after each delete, down to the empty directory.
TEST_F(BBSListTest, DeletesFromAnUndercountedListKeepItLoadable) {
    createWithRecords(4);
    store.WriteSettingValue(path, "Config", "NumBBS", "S", "1");
    ASSERT_TRUE(list.LoadBBSList());
    for (const auto& [id, left] : {std::pair{"4", "3"}, {"2", "2"}, {"1", "1"}, {"3", "0"}}) {
        ASSERT_TRUE(list.DeleteBBSRecord(id)) << id;
        EXPECT_EQ(stored("Config", "NumBBS"), left) << "after deleting " << id;
        BBSList again{store, prompter, clock, path};
        EXPECT_TRUE(again.LoadBBSList()) << "after deleting " << id;
    }
    EXPECT_TRUE(prompter.messages.empty());
}

// A count at the largest number the file's count holds (a hand-edited 99999 reads as 32767)
// stays there when a record is added, so the list reads back with the count it had in memory.
TEST_F(BBSListTest, AnAddKeepsAnOutsizedCountReadable) {
    createWithRecords(1);
    store.WriteSettingValue(path, "Config", "NumBBS", "S", "99999");
    ASSERT_TRUE(list.LoadBBSList());
    ASSERT_EQ(list.addRecordAside(), 2);
    BBSList again{store, prompter, clock, path};
    ASSERT_TRUE(again.LoadBBSList());
    EXPECT_EQ(again.numBBS(), list.numBBS());
    EXPECT_EQ(again.numBBS(), 32767);
}

// A flag that is neither 1 nor 0 (here a blank the file would trim from the end of the line) is
// free, so the map written after an add reads back as it was in memory.
TEST_F(BBSListTest, FlagsOtherThanOneAreFree) {
    createWithRecords(1);
    store.WriteSettingValue(path, "Config", "BBSMap", "S", std::string(254, '1') + " x");
    ASSERT_TRUE(list.LoadBBSList());
    EXPECT_EQ(list.map(), std::string(254, '1') + "0");
    ASSERT_EQ(list.addRecordAside(), 255);
    BBSList again{store, prompter, clock, path};
    ASSERT_TRUE(again.LoadBBSList());
    EXPECT_EQ(again.map(), std::string(255, '1'));
}

// The map is one character longer than a profile read returns; ID 255 must still count as used.
TEST_F(BBSListTest, TheLastIdOfTheMapIsNotLost) {
    createWithRecords(1);
    store.WriteSettingValue(path, "Config", "BBSMap", "S", std::string(254, '0') + "1");
    ASSERT_TRUE(list.LoadBBSList());
    EXPECT_EQ(list.map().size(), 255u);
    EXPECT_EQ(list.map().back(), '1');
    EXPECT_EQ(listedIds(), (std::vector<int>{255}));
}

TEST_F(BBSListTest, AddingIsRefusedWhenAllIdsAreUsed) {
    createWithRecords(1);
    store.WriteSettingValue(path, "Config", "BBSMap", "S", std::string(255, '1'));
    store.WriteSettingValue(path, "Config", "NumBBS", "S", "255");
    ASSERT_TRUE(list.LoadBBSList());
    const std::string before = readFile(path);
    EXPECT_EQ(list.addRecord(), std::nullopt);
    EXPECT_EQ(list.copyRecord(), std::nullopt);
    EXPECT_EQ(list.addRecordsAside({BBSRecord{}}), std::nullopt);
    EXPECT_EQ(list.numBBS(), 255);
    EXPECT_EQ(readFile(path), before);
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_NE(prompter.messages.back().text.find("255"), std::string::npos);
}

// Records added together all land, or none do: two for a list with room for one leave the file
// as it was.
TEST_F(BBSListTest, RecordsAddedTogetherNeedRoomForAll) {
    createWithRecords(1);
    store.WriteSettingValue(path, "Config", "BBSMap", "S", std::string(254, '1') + "0");
    store.WriteSettingValue(path, "Config", "NumBBS", "S", "254");
    ASSERT_TRUE(list.LoadBBSList());
    const std::string before = readFile(path);
    BBSRecord one, two;
    one.BBSname = "One";
    two.BBSname = "Two";
    EXPECT_EQ(list.addRecordsAside({one, two}), std::nullopt);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(list.numBBS(), 254);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages.back().text.find("room for 1 more"), std::string::npos);
    EXPECT_EQ(list.addRecordsAside({two}), (std::vector<int>{255}));
    EXPECT_EQ(stored("255", "BBSname"), "Two");
}

TEST_F(BBSListTest, CopyKeepsStatisticsButNotCallsAndAsksAboutMacros) {
    createWithRecords(1);
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    list.record().TotalTime = 500;
    list.record().MaxBaud = 1200;
    list.UpdateBBSStats("1", false, "");  // one call
    list.UpdateBBSStats("1", true, "0:08");
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    prompter.yesNoAnswers = {false};
    EXPECT_EQ(list.copyRecord(), 2);
    EXPECT_EQ(prompter.questions.back().text, "Copy Macros?");
    EXPECT_EQ(list.recordId(), "2");
    EXPECT_EQ(list.record().Connects, 0);
    EXPECT_EQ(list.record().LastCall, "0");
    EXPECT_EQ(list.record().Comment, "");
    EXPECT_EQ(list.record().MaxBaud, 1200);
    EXPECT_EQ(list.record().LastTimeOnline, "0:08");
    EXPECT_EQ(list.record().URL, "127.0.0.1");
    EXPECT_EQ(list.record().TotalTime, 500);
    EXPECT_EQ(stored("2", "Macro0"), "<missing>");  // No: the macros were not copied
}

TEST_F(BBSListTest, StatisticsOfACall) {
    createWithRecords(1);
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    clock.time = {2026, 12, 7, 21, 5, 0};
    list.UpdateBBSStats("1", false, "");
    EXPECT_EQ(stored("1", "Connects"), "1");
    EXPECT_EQ(stored("1", "LastCall"), "12/07/2026 09:05PM");
    EXPECT_NE(readFile(path).find("\r\nConnects=1\r\n"), std::string::npos);
    list.record().TotalTime = 90;
    list.record().MaxBaud = 2400;
    list.UpdateBBSStats("1", true, "1:30");
    EXPECT_EQ(stored("1", "TotalTime"), "90");
    EXPECT_EQ(stored("1", "LastTimeOnline"), "1:30");
    EXPECT_EQ(stored("1", "MaxBaud"), "2400");
}

TEST_F(BBSListTest, HiddenMacrosAreUnscrambledInMemoryOnly) {
    createWithRecords(1);
    vx::test::FakeRandom random;
    vx::Scrambler scrambler(random);
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    const std::string scrambled = scrambler.ScrambleText("secret<CR>");
    list.record().macros[3] = {scrambled, "1"};
    list.SaveBBSRecord("1", list.record(), false);
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    EXPECT_EQ(list.activeMacros()[3], std::string("secret") + kEol);
    EXPECT_EQ(stored("1", "Macro3"), scrambled);
    EXPECT_EQ(stored("1", "MacVisible3"), "1");
}

TEST_F(BBSListTest, AnEmptyIdSelectsNothing) {
    createWithRecords(1);
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    const BBSRecord before = list.record();
    EXPECT_FALSE(list.LoadBBSRecord(""));
    EXPECT_FALSE(list.LoadBBSRecord(" 0 "));
    EXPECT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0].text, "No BBS Selected!");
    EXPECT_EQ(list.record(), before);
}

TEST_F(BBSListTest, UnusableListsStopTheProgram) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[Config]\r\nBBSMap=1\r\n", "NumBBS=0"},
        {"[Config]\r\nNumBBS=abc\r\nBBSMap=1\r\n", "NumBBS=0"},
        {"[Config]\r\nNumBBS=0\r\nBBSMap=1\r\n", "NumBBS=0"},
        {"[Config]\r\nNumBBS=2\r\n", "BBS Map is empty!"},
        {"[Config]\r\nNumBBS=0\r\nBBSMap=\r\n", "NumBBS=0"},
        {"[Config]\r\nNumBBS=0\r\nBBSMap=00x0\r\n", "NumBBS=0"},
        {"[Config]\r\nBBSMap=0000\r\n", "NumBBS=0"},
        {"[Config]\r\nNumBBS=1\r\nBBSMap=1\r\n" + std::string(vx::SettingsStore::kMaxFileSize, ';'),
         path + "\r(file too large)"},
    };
    for (const auto& [file, reason] : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
        prompter.messages.clear();
        EXPECT_FALSE(list.LoadBBSList()) << file.substr(0, 40);
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(prompter.messages[0].text, "Critical ERROR - Invalid BBSFile Entry!\r\r" + reason);
        EXPECT_EQ(prompter.messages[0].icon, vx::MessageIcon::Critical);
    }
}

// The raw editor's save: the map must hold one flag, 0 or 1, for each of the 255 IDs; a text
// with any other map is refused with the reason and the file is left as it was.
struct RawText {
    const char* name;
    std::string map;
    std::string refusal;  // "" when saved
};
void PrintTo(const RawText& r, std::ostream* out) { *out << r.name; }
class RawListText : public BBSListTest, public ::testing::WithParamInterface<RawText> {};

TEST_P(RawListText, IsSavedOnlyWithAWholeMap) {
    createWithRecords(2);
    const std::string before = readFile(path);
    const std::string text = "[Config]\r\nNumBBS=1\r\nBBSMap=" + GetParam().map + "\r\n[BBS]\r\n1=One\r\n";
    EXPECT_EQ(list.replaceWithRawText(text), GetParam().refusal);
    EXPECT_EQ(readFile(path), GetParam().refusal.empty() ? text : before);
}

const std::string kMapRule = "[Config] BBSMap must be the map of IDs in use: 255 characters, each 0 or 1.";
INSTANTIATE_TEST_SUITE_P(Texts, RawListText,
                         ::testing::Values(RawText{"Whole", "1" + std::string(254, '0'), ""},
                                           RawText{"MapTooShort", "1" + std::string(253, '0'), kMapRule},
                                           RawText{"MapTooLong", "1" + std::string(255, '0'), kMapRule},
                                           RawText{"FlagNotZeroOrOne", "12" + std::string(253, '0'), kMapRule}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BBSListHelpers, MapFlagsAndFirstFreeId) {
    std::string map(255, '0');
    EXPECT_EQ(BBSList::FirstFreeID(map), 1);
    map = BBSList::SetMapFlag(map, 1, true);
    map = BBSList::SetMapFlag(map, 2, true);
    EXPECT_EQ(BBSList::FirstFreeID(map), 3);
    map = BBSList::SetMapFlag(map, 1, false);
    EXPECT_EQ(BBSList::FirstFreeID(map), 1);
    EXPECT_EQ(BBSList::SetMapFlag(map, 0, true), map);
    EXPECT_EQ(BBSList::SetMapFlag(map, 256, true), map);
    EXPECT_EQ(BBSList::FirstFreeID(std::string(255, '1')), 0);
}

TEST(BBSListHelpers, PortLists) {
    std::array<std::string, 10> ports;
    EXPECT_EQ(BBSList::ParsePortList("23 8889", ports), 2);
    EXPECT_EQ(ports[0], "23");
    EXPECT_EQ(ports[1], "8889");
    EXPECT_EQ(BBSList::ParsePortList("23,8889;9000", ports), 3);
    EXPECT_EQ(ports[2], "9000");
    EXPECT_EQ(BBSList::ParsePortList("1 2 3 4 5 6 7 8 9 10 11", ports), 10);
    EXPECT_EQ(ports[9], "10");
    EXPECT_EQ(BBSList::ParsePortList("  0023  ,, 80 ", ports), 2);
    EXPECT_EQ(ports[0], "23");
    EXPECT_EQ(BBSList::ParsePortList("", ports), 1);
    EXPECT_EQ(ports[0], "");
}

// A list written on Windows by an earlier installation loads with every value right.
TEST_F(BBSListTest, WindowsWrittenListLoads) {
    std::filesystem::copy_file(std::string(VX_TEST_DATA_DIR) + "/config/windows/VX3_BBS.INI", path);
    ASSERT_TRUE(list.LoadBBSList());
    EXPECT_EQ(list.numBBS(), 3);
    EXPECT_EQ(list.entries(), (std::vector<vx::BBSListEntry>{{1, "Pokey's Place"}, {4, "The 8-Bit Den"}}));
    EXPECT_TRUE(list.CheckBBSCount(false));
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    const BBSRecord& r = list.record();
    EXPECT_EQ(r.BBSname, "Pokey's Place");
    EXPECT_EQ(r.URL, "pokey.example.net");
    EXPECT_EQ(r.Port, 8888);
    EXPECT_EQ(r.PortList, "23, 8888;9000");
    EXPECT_EQ(list.portCount(), 3);
    EXPECT_EQ(r.Sysop, "Pokey");
    EXPECT_EQ(r.Created, "3/2/2019 9:15:02 PM");
    EXPECT_EQ(r.LastCall, "11/30/2024 10:58PM");
    EXPECT_EQ(r.LastEdited, "11/30/2024 11:02 PM");
    EXPECT_EQ(r.LastTimeOnline, "1:02:05");
    EXPECT_TRUE(r.LANtronix && r.ClrBufferOnDisc && r.AlarmColEnabled && r.NoWrap && r.BBSXv1 && r.OneAtaTime);
    EXPECT_FALSE(r.HideFromList);
    EXPECT_EQ(r.BBSXDelay, "450");
    EXPECT_EQ(r.MaxBaud, 2400);
    EXPECT_EQ(r.Website, "http://pokey.example.net/");
    EXPECT_TRUE(r.StayAlive && r.Mode80Col);
    EXPECT_FALSE(r.BaudSim || r.Permanent);
    EXPECT_EQ(r.Connects, 57);
    EXPECT_EQ(r.TotalTime, 3725);
    EXPECT_EQ(r.AlarmColValue, 38);
    EXPECT_EQ(r.SendDelayValue, 20);
    EXPECT_EQ(r.Signature, "-= Marta =-");
    EXPECT_EQ(list.activeMacros()[0], std::string("marta") + kEol);
    EXPECT_EQ(list.activeMacros()[1], std::string("s3cr3t") + kEol);
    EXPECT_EQ(list.activeMacros()[2], std::string("hi") + kEol);  // values are trimmed
    EXPECT_EQ(list.activeMacros()[3], "");

    ASSERT_TRUE(list.LoadBBSRecord("2"));
    // Kept: the reader does not know the form, but the text is not lost.
    EXPECT_EQ(list.record().Created, "not a date");
    EXPECT_EQ(list.record().LastCall, "0");  // empty
    EXPECT_EQ(list.record().AlarmColValue, 30);
    EXPECT_EQ(list.record().Signature, "");
    EXPECT_EQ(list.record().BBSXDelay, "300");
}

// Deleting the last record leaves NumBBS 0 and a map of zeros. That is a directory without
// boards, not a broken file: it loads, and the next board can be added.
TEST_F(BBSListTest, AnEmptyDirectoryLoadsAsAnEmptyList) {
    createWithRecords(1);
    ASSERT_TRUE(list.DeleteBBSRecord("1"));
    EXPECT_EQ(stored("Config", "NumBBS"), "0");
    BBSList again{store, prompter, clock, path};
    EXPECT_TRUE(again.LoadBBSList());
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(again.entries().empty());
    EXPECT_EQ(again.numBBS(), 0);
    EXPECT_EQ(again.addRecord(), 1);
}

// Windows writes dates in the user's regional form. The record keeps what it cannot read, so a
// load and a save never turn a date into "0".
TEST_F(BBSListTest, DatesInOtherFormsAreKeptAsTheyStand) {
    createWithRecords(1);
    const std::vector<std::pair<std::string, std::string>> dates = {
        {"Created", "06.12.2019 21:15:02"},
        {"LastEdited", "2024-11-30 23:02:00"},
        {"LastCall", "30 Nov 2024 10:58 PM"},
    };
    for (const auto& [key, value] : dates) store.WriteSettingValue(path, "1", key, "S", value);
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    EXPECT_EQ(list.record().Created, "06.12.2019 21:15:02");
    EXPECT_EQ(list.record().LastEdited, "2024-11-30 23:02:00");
    EXPECT_EQ(list.record().LastCall, "30 Nov 2024 10:58 PM");
    ASSERT_TRUE(list.SaveBBSRecord("1", list.record(), false));
    const std::string text = readFile(path);
    for (const auto& [key, value] : dates)
        EXPECT_NE(text.find("\r\n" + key + "=" + value + "\r\n"), std::string::npos) << key;

    // Only a date that is not there reads as "0".
    store.WriteSettingValue(path, "1", "Created", "S", "");
    store.DeleteSettingValue(path, "1", "LastCall");
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    EXPECT_EQ(list.record().Created, "0");
    EXPECT_EQ(list.record().LastCall, "0");
}

TEST_F(BBSListTest, NewRecordsStampCreatedInTheGeneralForm) {
    createWithRecords(1);
    clock.time = {2027, 1, 2, 15, 4, 5};
    ASSERT_EQ(list.addRecord(), 2);
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    ASSERT_EQ(list.copyRecord(), 3);
    for (const char* id : {"2", "3"}) EXPECT_EQ(stored(id, "Created"), "1/2/2027 3:04:05 PM") << id;
}

// A section that holds values belongs to a board, whatever the map says: add and copy never
// write over it.
TEST_F(BBSListTest, SectionsInTheFileAreNeverHandedOutAsFree) {
    createWithRecords(1);
    store.WriteSettingValue(path, "2", "BBSname", "S", "Orphan");
    store.WriteSettingValue(path, "3", "Sysop", "S", "");  // a section with no values is free
    ASSERT_TRUE(list.LoadBBSList());
    EXPECT_EQ(BBSList::FirstFreeID(list.map()), 2);
    EXPECT_EQ(list.firstFreeIdInFile(), 3);
    EXPECT_EQ(list.addRecord(), 3);
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    prompter.yesNoAnswers = {true};
    EXPECT_EQ(list.copyRecord(), 4);
    EXPECT_EQ(stored("2", "BBSname"), "Orphan");
    EXPECT_EQ(stored("2", "Created"), "<missing>");
    // A deleted record leaves its section with empty values only: its ID is free again.
    ASSERT_TRUE(list.DeleteBBSRecord("3"));
    EXPECT_EQ(list.firstFreeIdInFile(), 3);
    EXPECT_EQ(list.freeIdsInFile(), 255 - 3);  // all but 1, 2 (the orphan) and 4
}

// Every writer either changes the file or tells the user and changes nothing, in the file or in
// memory.
enum class Failure { ReadOnly, Missing };

class BBSListWriteFailureTest : public BBSListTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(BBSListWriteFailureTest, NothingIsHalfDone) {
    createWithRecords(2);
    store.WriteSettingValue(path, "Config", "NumBBS", "S", "5");  // for the count repair
    ASSERT_TRUE(list.LoadBBSList());
    ASSERT_TRUE(list.LoadBBSRecord("2"));
    list.clearListChanged();
    const std::string before = readFile(path);
    if (GetParam() == Failure::ReadOnly)
        std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    else
        std::filesystem::rename(path, path + ".away");
    const std::string reason = GetParam() == Failure::ReadOnly ? "(access denied)" : "(the file does not exist)";

    BBSRecord edited = list.record();
    edited.Sysop = "Changed";
    const std::vector<std::pair<const char*, std::function<bool()>>> writers = {
        {"add", [&] { return list.addRecord().has_value(); }},
        {"copy", [&] { return list.copyRecord().has_value(); }},
        {"delete", [&] { return list.DeleteBBSRecord("2"); }},
        {"save", [&] { return list.SaveBBSRecord("2", edited, false); }},
        {"call counted", [&] { return list.UpdateBBSStats("2", false, ""); }},
        {"time online", [&] { return list.UpdateBBSStats("2", true, "0:05"); }},
        {"stamp", [&] { return list.StampBBSListEdited(); }},
    };
    for (const auto& [what, writer] : writers) {
        prompter.messages.clear();
        const BBSRecord record = list.record();
        EXPECT_FALSE(writer()) << what;
        ASSERT_EQ(prompter.messages.size(), 1u) << what;
        EXPECT_NE(prompter.messages[0].text.find("Unable to write the BBS list file:\r" + path + "\r" + reason),
                  std::string::npos)
            << what << ": " << prompter.messages[0].text;
        EXPECT_EQ(list.numBBS(), 5) << what;
        EXPECT_EQ(list.map().substr(0, 3), "110") << what;
        EXPECT_EQ(listedIds(), (std::vector<int>{1, 2})) << what;
        EXPECT_EQ(list.record(), record) << what;
        EXPECT_EQ(list.recordId(), "2") << what;
    }
    prompter.messages.clear();
    EXPECT_FALSE(list.CheckBBSCount(true));
    EXPECT_EQ(list.numBBS(), 5);
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_FALSE(list.listChanged());

    if (GetParam() == Failure::ReadOnly)
        EXPECT_EQ(readFile(path), before);
    else
        EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Failures, BBSListWriteFailureTest, ::testing::Values(Failure::ReadOnly, Failure::Missing),
                         [](const auto& info) { return info.param == Failure::ReadOnly ? "ReadOnly" : "Missing"; });

}  // namespace
