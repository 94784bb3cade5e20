// The keys of a BBS record as the list file holds them: the key table against the record, and a
// fixed run of every writer of the list compared byte for byte with transcripts the program wrote
// before the keys were gathered into one table.
#include "directory/BBSRecordKeys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "base/Version.h"
#include "config/IniFile.h"
#include "directory/BBSCsv.h"
#include "directory/BBSList.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

using vx::BBSList;
using vx::BBSRecord;
using vx::BBSRecordKey;

namespace {

using vx::test::readFile;

// How many members an aggregate has: the most initializers its braces take.
struct AnyMember {
    template <typename T>
    operator T() const;
};
template <typename T, std::size_t... I>
constexpr bool bracesTake(std::index_sequence<I...>) {
    return requires { T{(void(I), AnyMember{})...}; };
}
template <typename T, std::size_t N = 0>
constexpr std::size_t memberCount() {
    if constexpr (bracesTake<T>(std::make_index_sequence<N + 1>{}))
        return memberCount<T, N + 1>();
    else
        return N;
}

TEST(BBSRecordKeys, EveryMemberHasExactlyOneKey) {
    BBSRecord record;
    std::set<const void*> members;
    std::set<std::string> keys;
    std::size_t macroParts = 0;
    for (const BBSRecordKey& row : vx::bbsRecordKeys()) {
        const void* member = std::visit(
            [&](auto field) -> const void* {
                if constexpr (std::is_same_v<decltype(field), BBSRecordKey::MacroPart>) {
                    ++macroParts;
                    return &(record.macros.at(field.index).*field.part);
                } else {
                    return &(record.*field);
                }
            },
            row.field);
        EXPECT_TRUE(members.insert(member).second) << row.key << " shares its member";
        std::string lower = row.key;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(keys.insert(lower).second) << row.key << " twice (keys are read in any letter case)";
    }
    EXPECT_EQ(members.size() - macroParts, memberCount<BBSRecord>() - 1);
    EXPECT_EQ(macroParts, record.macros.size() * memberCount<vx::StoredMacro>());
}

// Every key is loaded into its member and saved back as it was (blanks aside, which the golden
// transcripts below hold).
TEST(BBSRecordKeys, EveryKeyRoundTripsThroughLoadAndSave) {
    vx::test::TempDir temp;
    const std::string path = (temp / "VX3_BBS.INI").string();
    vx::SettingsStore store;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;
    BBSList list{store, prompter, clock, path};
    ASSERT_TRUE(list.CreateBBSListFile());
    std::map<std::string, std::string> values;
    int n = 100;
    for (const BBSRecordKey& row : vx::bbsRecordKeys()) {
        using K = BBSRecordKey::Kind;
        const std::string key = row.key;
        values[key] = row.kind == K::Flag          ? "True"
                      : row.kind == K::Number      ? std::to_string(++n)
                      : row.kind == K::NumberText  ? "7"
                      : row.kind == K::Protocol    ? "Telnet"
                      : row.kind == K::MacroHidden ? "1"
                                                   : key + " value";
        store.WriteSettingValue(path, "1", key, "S", values[key]);
    }
    ASSERT_TRUE(list.LoadBBSList());
    const BBSRecord loaded = list.recordOf("1");
    list.SaveBBSRecord("1", loaded, false);
    const vx::IniFile file = vx::IniFile::parse(readFile(path));
    for (const BBSRecordKey& row : vx::bbsRecordKeys()) {
        // A record is never loaded as deleted, so a save clears the flag.
        const bool deleted = std::string(row.key) == "Deleted";
        EXPECT_EQ(file.read("1", row.key, "<missing>"), deleted ? "False" : values[row.key]) << row.key;
        EXPECT_EQ(vx::plainRecordValue(row, loaded) == vx::plainRecordValue(row, BBSRecord{}), deleted) << row.key;
    }
}

// Every member, written out by hand, so that a load fault shows even in a value no writer
// writes back.
std::string describe(const BBSRecord& r) {
    std::ostringstream out;
    out << "  [" << r.BBSname << "|" << r.URL << "|" << r.Port << "|" << r.PortList << "|" << r.Sysop << "|"
        << r.Comment << "|" << r.Website << "|" << r.Signature << "|" << r.Created << "|" << r.LastCall << "|"
        << r.LastEdited << "|" << r.LastTimeOnline << "|" << r.BBSXDelay << "|" << r.Protocol << "]\r\n  ["
        << r.StayAlive << r.BaudSim << r.Permanent << r.Mode80Col << r.Deleted << r.LANtronix << r.HideFromList
        << r.ClrBufferOnDisc << r.AlarmColEnabled << r.NoWrap << r.BBSXv1 << r.OneAtaTime << "|" << r.AlarmColValue
        << "|" << r.SendDelayValue << "|" << r.Connects << "|" << r.TotalTime << "|" << r.MaxBaud << "]\r\n";
    for (const auto& macro : r.macros) out << "  <" << macro.text << "|" << macro.hidden << ">";
    return out.str() + "\r\n";
}

// A board as nobody would leave it: blanks around texts, numbers out of range or not numbers,
// a flag the reader must not take, a protocol in odd letter case.
const char* const kHandEdited =
    "[200]\r\n"
    "bbsname=  Odd Board  \r\n"
    "Port=99999\r\n"
    "PortList= 23;;8888 \r\n"
    "Deleted=True\r\n"
    "Created=\r\n"
    "LastCall=  \r\n"
    "HideFromList=1\r\n"
    "AlarmColEnabled=false\r\n"
    "BBSXDelay=12abc\r\n"
    "MaxBaud=-5\r\n"
    "Connects=abc\r\n"
    "TotalTime=9999999999\r\n"
    "AlarmColValue=70000\r\n"
    "SendDelayValue=-70000\r\n"
    "Protocol= tElNeT \r\n"
    "Macro0=  spaced  \r\n"
    "MacVisible0= 1 \r\n"
    "Macro3=\r\n"
    "MacVisible3=1\r\n";

struct GoldenRun {
    const char* name;
    const char* input;  // under the test data folder; nullptr: a list the program creates
};
void PrintTo(const GoldenRun& run, std::ostream* out) { *out << run.name; }

class ListWriters : public ::testing::TestWithParam<GoldenRun> {
protected:
    vx::test::TempDir temp;
    std::string path = (temp / "VX3_BBS.INI").string();
    vx::SettingsStore store;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;
    BBSList list{store, prompter, clock, path};
    std::string transcript;

    // Moves the clock on a minute, so each stamp tells which step wrote it, runs the step and
    // adds what it said and the whole file to the transcript.
    template <typename Step>
    void step(const std::string& name, Step&& action) {
        if (++clock.time.minute == 60) clock.time = {2026, 12, 7, 8, 0, 17};
        const std::string said = action();
        transcript += "== " + name + (said.empty() ? "" : ": " + said) + "\r\n" + readFile(path);
    }
    std::vector<int> mapped() const {
        std::vector<int> ids;
        for (int id = 1; id <= BBSList::kMaxRecords; ++id)
            if (list.map()[static_cast<std::size_t>(id - 1)] == '1') ids.push_back(id);
        return ids;
    }
    std::string readBack() {
        std::string said = "\r\n";
        for (const auto& entry : list.entries())
            said += "listed " + std::to_string(entry.id) + " " + entry.name + "\r\n";
        for (const int id : mapped()) {
            const auto stats = list.statisticsOf(id);
            const auto summary = list.summaryOf(id);
            said += std::to_string(id) + ": " + stats.name + " " + std::to_string(stats.connects) + " " +
                    std::to_string(stats.totalTime) + " " + std::to_string(stats.maxBaud) + " / " + summary.name + " " +
                    summary.address + " " + summary.sysop + "\r\n" + describe(list.recordOf(std::to_string(id)));
        }
        return said + "Default:\r\n" + describe(list.recordOf(BBSList::kDefaultId));
    }
    static std::string id(std::optional<int> given) { return given ? std::to_string(*given) : "none"; }
};

TEST_P(ListWriters, WriteTheSameBytesAsBefore) {
    if (GetParam().input)
        std::filesystem::copy_file(std::string(VX_TEST_DATA_DIR) + "/" + GetParam().input, path);
    else
        step("create", [&] { return std::string(list.CreateBBSListFile() ? "" : "failed"); });
    step("load", [&] { return list.LoadBBSList() ? readBack() : "failed"; });
    step("save every record as loaded", [&] {
        for (const int n : mapped()) list.SaveBBSRecord(std::to_string(n), list.recordOf(std::to_string(n)), false);
        list.SaveBBSRecord(BBSList::kDefaultId, list.recordOf(BBSList::kDefaultId), false);
        return std::string();
    });
    const int first = mapped().front();
    std::optional<int> added;
    step("add", [&] { return id(added = list.addRecord()); });
    std::optional<int> copied;
    step("copy, macros too", [&] {
        list.LoadBBSRecord(std::to_string(first));
        return id(copied = list.copyRecord());
    });
    step("copy aside, macros not", [&] {
        prompter.yesNoAnswers = {false};
        return id(list.copyRecordAside(list.recordOf(std::to_string(first)), [](int) {}));
    });
    step("add aside", [&] { return id(list.addRecordAside()); });
    ASSERT_TRUE(added && copied);
    BBSRecord edited = list.recordOf(std::to_string(*added));
    step("edit everything", [&] {
        edited.BBSname = " Edited Board ";
        edited.URL = "edited.example.net";
        edited.Port = 49152;
        edited.PortList = "23 49152";
        edited.Sysop = "  Ed  ";
        edited.Comment = "with = sign";
        edited.Website = "";
        edited.Signature = "  -= Ed =-  ";
        edited.StayAlive = edited.LANtronix = edited.NoWrap = edited.OneAtaTime = edited.Deleted = true;
        edited.BaudSim = edited.Permanent = false;
        edited.HideFromList = edited.ClrBufferOnDisc = edited.AlarmColEnabled = edited.BBSXv1 = true;
        edited.Mode80Col = true;
        edited.BBSXDelay = " 75ms";
        edited.MaxBaud = -9600;
        edited.Connects = 12;
        edited.TotalTime = 3600;
        edited.AlarmColValue = -1;
        edited.SendDelayValue = 32767;
        edited.LastTimeOnline = " 1:00:00 ";
        edited.Protocol = "Telnet";
        edited.macros[0] = {"  plain  ", " 0 "};
        edited.macros[1] = {"11F51EF7127684F020AB82", "1"};
        edited.macros[2] = {"   ", "1"};
        edited.macros[9] = {"last", ""};
        list.SaveBBSRecord(std::to_string(*added), edited, false);
        return std::string();
    });
    step("back to Raw, macros not copied", [&] {
        edited.Protocol = "Raw";
        prompter.yesNoAnswers = {false};
        list.SaveBBSRecord(std::to_string(*added), edited, true);
        return std::string();
    });
    step("a Raw save of a record without the key, macros copied", [&] {
        list.SaveBBSRecord(std::to_string(*copied), edited, true);
        return std::string();
    });
    step("call statistics", [&] {
        list.LoadBBSRecord(std::to_string(first));
        list.UpdateBBSStats(std::to_string(first), false, "");
        list.record().TotalTime += 125;
        list.record().MaxBaud = 1200;
        list.UpdateBBSStats(std::to_string(first), true, " 0:02:05 ");
        return std::string();
    });
    step("delete", [&] { return std::string(list.DeleteBBSRecord(std::to_string(*copied)) ? "" : "failed"); });
    step("copy into the blanked section",
         [&] { return id(list.copyRecordAside(list.recordOf(std::to_string(first)), [](int) {})); });
    step("import", [&] {
        return vx::bbscsv::importText(list,
                                      "Comment,Name,Address,Port,Sysop,Protocol\r\n"
                                      "\"a, b\",Imported,imported.example.net,2323, Ann ,telnet\r\n"
                                      "dup,Again,imported.example.net,2323,,\r\n"
                                      ",Plain,[2001:db8::1]:8000,,,\r\n")
            .report();
    });
    step("export", [&] { return "\r\n" + vx::bbscsv::exportText(list); });
    step("the raw editor refuses", [&] { return list.replaceWithRawText("[Config]\r\nNumBBS=x\r\nBBSMap=1\r\n"); });
    step("the raw editor adds a hand-edited board", [&] {
        std::string text = readFile(path);
        text[text.find("BBSMap=") + 7 + 199] = '1';
        return list.replaceWithRawText(text + kHandEdited);
    });
    step("read back", [&] { return readBack(); });
    step("save the hand-edited board as loaded", [&] {
        list.SaveBBSRecord("200", list.recordOf("200"), false);
        return readBack();
    });
    step("edit the DEFAULT record", [&] {
        BBSRecord defaults = list.recordOf(BBSList::kDefaultId);
        defaults.Comment = "Changed";
        defaults.Protocol = "Auto";
        list.SaveBBSRecord(BBSList::kDefaultId, defaults, false);
        return std::string();
    });
    step("add after the DEFAULT record changed", [&] { return id(list.addRecord()); });

    // The version is not part of what is compared: a new build number must not fail the run.
    for (std::size_t at; (at = transcript.find(vx::versionWithBuild())) != std::string::npos;)
        transcript.replace(at, vx::versionWithBuild().size(), "<version>");
    const std::string golden = std::string(VX_TEST_DATA_DIR) + "/directory/golden/" + GetParam().name + ".txt";
    const std::string expected = readFile(golden);
    EXPECT_EQ(transcript.size(), expected.size());
    if (transcript != expected) {
        // Left in the working folder for a diff.
        std::ofstream(std::string(GetParam().name) + ".actual", std::ios::binary) << transcript;
        ADD_FAILURE() << "differs from " << golden << "; written: " << GetParam().name << ".actual";
    }
}

INSTANTIATE_TEST_SUITE_P(SampleLists, ListWriters,
                         ::testing::Values(GoldenRun{"fresh", nullptr},
                                           GoldenRun{"windows", "config/windows/VX3_BBS.INI"},
                                           GoldenRun{"e2e", "e2e/VX3_BBS.INI"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
