// The time-online report: the fixed columns (short, exact-width and overlong names), which boards
// are listed, and the text and CSV forms.
#include <gtest/gtest.h>

#include "config/SettingsStore.h"
#include "directory/BBSList.h"
#include "directory/TimeOnlineReport.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace {

using vx::report::Row;

struct LineCase {
    const char* name;
    Row row;
    std::string line;
};
class ReportLine : public ::testing::TestWithParam<LineCase> {};
TEST_P(ReportLine, StandsInItsColumns) { EXPECT_EQ(vx::report::line(GetParam().row), GetParam().line); }
INSTANTIATE_TEST_SUITE_P(
    Names, ReportLine,
    ::testing::Values(
        LineCase{"short", {7, "Owl", 12, 3725, 2400},
                 "007   Owl                               12            1:02        2400"},
        LineCase{"exactly_29", {42, std::string(29, 'N'), 1234567, 0, 0},
                 "042   " + std::string(29, 'N') + "1234567            0:00        0"},
        LineCase{"overlong_name_shifts_the_rest", {255, std::string(31, 'L'), 5, 360000, 19200},
                 "255   " + std::string(31, 'L') + "      5          100:00        19200"},
        LineCase{"wide_numbers_are_not_cut", {1, "A", 12345678, 3600 * 123456, 7},
                 "001   A" + std::string(28, ' ') + "12345678        123456:00        7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportHeader, StandsAboveTheColumns) {
    const std::string header = vx::report::kHeader;
    EXPECT_EQ(header.size(), 72u);
    const std::string line = vx::report::line({7, "Owl", 12, 3725, 2400});
    EXPECT_EQ(header.find("Name"), line.find("Owl"));
    EXPECT_EQ(header.find("MaxBPS"), line.find("2400"));
}

class ReportBuild : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::SettingsStore store;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;
    vx::BBSList list{store, prompter, clock, (temp / "VX3_BBS.INI").string()};

    void SetUp() override {
        ASSERT_TRUE(list.CreateBBSListFile());
        ASSERT_TRUE(list.LoadBBSList());
        ASSERT_EQ(list.addRecord(), 2);
        ASSERT_EQ(list.addRecord(), 3);
        setStats("2", "Called, Often", 4, 7260, 2400);
    }
    // The statistics as calls leave them: the name saved, a connect counted, then the hang-up.
    void setStats(const std::string& id, const std::string& name, int connects, int seconds, int maxBps) {
        ASSERT_TRUE(list.LoadBBSRecord(id));
        list.record().BBSname = name;
        ASSERT_TRUE(list.SaveBBSRecord(id, list.record(), false));
        ASSERT_TRUE(list.LoadBBSRecord(id));
        list.record().Connects = connects - 1;
        ASSERT_TRUE(list.UpdateBBSStats(id, false, ""));
        list.record().TotalTime = seconds;
        list.record().MaxBaud = maxBps;
        ASSERT_TRUE(list.UpdateBBSStats(id, true, "2:01:00"));
    }
};

TEST_F(ReportBuild, ListsBoardsWithTimeOnlineOrAllOfThem) {
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    const std::string current = list.record().BBSname;
    const auto called = vx::report::build(list, false);
    ASSERT_EQ(called.size(), 1u);
    EXPECT_EQ(called[0].number, 2);
    EXPECT_EQ(called[0].secondsOnline, 7260);
    const auto all = vx::report::build(list, true);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].number, 3);
    EXPECT_EQ(vx::report::line(all[0]).substr(0, 3), "001");
    EXPECT_EQ(list.record().BBSname, current);  // the report leaves the current record alone
}

TEST_F(ReportBuild, TheFileAndTheCsv) {
    const auto rows = vx::report::build(list, false);
    EXPECT_EQ(vx::report::fileText(rows), std::string(vx::report::kHeader) + "\r\n" +
                                              "002   Called, Often                      4            2:01        2400\r\n\r\n");
    EXPECT_EQ(vx::report::csv(rows), "Num,Name,Connects,Online (h:mm),MaxBPS\r\n2,\"Called, Often\",4,2:01,2400\r\n");
}

}  // namespace
