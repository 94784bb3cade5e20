#include <gtest/gtest.h>

#include <utility>

#include "base/Formats.h"

using namespace vx;

namespace {

const LocalDateTime kMorning{2026, 12, 6, 10, 51, 21};
const LocalDateTime kAfternoon{2026, 1, 9, 15, 4, 5};
const LocalDateTime kMidnight{2026, 12, 6, 0, 0, 0};
const LocalDateTime kNoon{2026, 12, 6, 12, 30, 0};

TEST(Formats, Stamps) {
    EXPECT_EQ(formatStampDateTime(kMorning), "2026.12.06 - 10:51 AM");
    EXPECT_EQ(formatStampDateTime(kAfternoon), "2026.01.09 - 03:04 PM");
    EXPECT_EQ(formatStampDateTime(kMidnight), "2026.12.06 - 12:00 AM");
    EXPECT_EQ(formatStampDateTime(kNoon), "2026.12.06 - 12:30 PM");
    EXPECT_EQ(formatLastCall(kAfternoon), "01/09/2026 03:04PM");
    EXPECT_EQ(formatEditStamp(kAfternoon), "01/09/2026 03:04 PM");
    EXPECT_EQ(formatLogStamp(kAfternoon), "0109-15:04:05 ");
    EXPECT_EQ(formatLogStamp(kAfternoon).size(), 14u);
    EXPECT_EQ(formatSessionStamp({2026, 12, 6, 10, 36, 0}), "261206-10:36");
    EXPECT_EQ(formatFileStamp({2026, 12, 6, 10, 36, 29}), "20261206-103629");
}

TEST(Formats, GeneralDateAndTime) {
    EXPECT_EQ(formatGeneralDateTime(kMorning), "12/6/2026 10:51:21 AM");
    EXPECT_EQ(formatGeneralDateTime(kAfternoon), "1/9/2026 3:04:05 PM");
    EXPECT_EQ(formatGeneralDateTime(kMidnight), "12/6/2026");
    EXPECT_EQ(formatGeneralDateTime(LocalDateTime{}), "12:00:00 AM");  // the zero date
}

TEST(Formats, ParsesEveryDateTextTheProgramWrites) {
    for (const LocalDateTime& t : {kMorning, kAfternoon, kMidnight, kNoon}) {
        EXPECT_EQ(parseGeneralDateTime(formatGeneralDateTime(t)), t);
        LocalDateTime minutes = t;
        minutes.second = 0;
        EXPECT_EQ(parseGeneralDateTime(formatLastCall(t)), minutes);
        EXPECT_EQ(parseGeneralDateTime(formatEditStamp(t)), minutes);
    }
    EXPECT_EQ(parseGeneralDateTime("12:00:00 AM"), LocalDateTime{});
    EXPECT_EQ(parseGeneralDateTime(" 2/29/2024 "), (LocalDateTime{2024, 2, 29, 0, 0, 0}));
    EXPECT_EQ(parseGeneralDateTime("23:15"), (LocalDateTime{1899, 12, 30, 23, 15, 0}));
}

// Dates as Windows writes them under other regional settings.
TEST(Formats, ParsesIsoAndDayMonthYearDates) {
    const std::pair<const char*, LocalDateTime> cases[] = {
        {"2024-11-30 23:02:00", {2024, 11, 30, 23, 2, 0}},
        {"2024-11-30T23:02:00", {2024, 11, 30, 23, 2, 0}},
        {"2024-02-29", {2024, 2, 29, 0, 0, 0}},
        {"06.12.2019 21:15:02", {2019, 12, 6, 21, 15, 2}},
        {"6.1.2020 09:05", {2020, 1, 6, 9, 5, 0}},
        {"31.12.1999", {1999, 12, 31, 0, 0, 0}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseGeneralDateTime(text), expected) << text;
}

TEST(Formats, RejectsWhatIsNoDate) {
    for (const char* text : {"", "0", "   ", "yesterday", "13/1/2026", "2/30/2026", "2/29/2025", "1/1/2026 13:00 PM",
                             "1/1/2026 24:00", "1/1/2026 10:61", "1/1/2026 10:00 AM extra", "12/6", "2024-13-01",
                             "2023-02-29", "31.04.2024", "06.12.19", "2024-11-30 25:00", "2024/11/30"})
        EXPECT_FALSE(parseGeneralDateTime(text).has_value()) << text;
}

TEST(Formats, Numbers) {
    EXPECT_EQ(formatThousands(0), "0");
    EXPECT_EQ(formatThousands(999), "999");
    EXPECT_EQ(formatThousands(1000), "1,000");
    EXPECT_EQ(formatThousands(1234567), "1,234,567");
    EXPECT_EQ(formatThousands(-1234567), "-1,234,567");
    EXPECT_EQ(formatLeadingBlank(500), " 500");
    EXPECT_EQ(formatLeadingBlank(0), " 0");
    EXPECT_EQ(formatLeadingBlank(-5), "-5");
    EXPECT_EQ(formatClockDuration(3725), "01:02:05");
    EXPECT_EQ(formatClockDuration(360000), "100:00:00");
}

TEST(Formats, OnlineTime) {
    EXPECT_EQ(FormatOnlineTime(3725, false, true), "1:02:05");
    EXPECT_EQ(FormatOnlineTime(125, false, true), "02:05");
    EXPECT_EQ(FormatOnlineTime(125, true, false), "0:02");
    EXPECT_EQ(FormatOnlineTime(125, false, false), "02");
    EXPECT_EQ(FormatOnlineTime(59, false, false), "00");
    EXPECT_EQ(FormatOnlineTime(3600, false, false), "1:00");
    EXPECT_EQ(FormatOnlineTime(36000, true, true), "10:00:00");
    EXPECT_EQ(FormatOnlineTime(400000, true, false), "111:06");
}

TEST(Formats, LeadingNumbers) {
    EXPECT_EQ(parseLeadingNumber(""), 0);
    EXPECT_EQ(parseLeadingNumber(" 500"), 500);
    EXPECT_EQ(parseLeadingNumber("  -12abc"), -12);
    EXPECT_EQ(parseLeadingNumber("{Enter Port}"), 0);
    EXPECT_EQ(parseLeadingNumber("2.5"), 2);
    EXPECT_EQ(parseLeadingNumber("3.5"), 4);
    EXPECT_EQ(parseLeadingNumber("2.51"), 3);
    EXPECT_GT(parseLeadingNumber("99999999999999999999999"), 0);  // saturates instead of wrapping
    EXPECT_TRUE(isWholeNumberText(" 12 "));
    EXPECT_TRUE(isWholeNumberText("-0.5"));
    EXPECT_FALSE(isWholeNumberText("12a"));
    EXPECT_FALSE(isWholeNumberText(""));
    EXPECT_FALSE(isWholeNumberText("-"));
    EXPECT_EQ(clampToInt16(40000), 32767);
    EXPECT_EQ(clampToInt16(-40000), -32768);
    EXPECT_EQ(clampToInt32(5000000000LL), 2147483647);
}

}  // namespace
