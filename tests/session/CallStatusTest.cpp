// The status window's numbers on a session with virtual time: the speed samples (the first after
// a connect over four seconds, later ones over three), the average of four rounded half to even,
// the first sample after a seen disconnect filling all four slots, the Max BPS line, and the
// switches, the manual entry and the "Total:" update with their log lines.
#include "support/SessionFixture.h"

using vx::test::SessionFixture;

namespace {

class CallStatusTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        config.SpeedCheck = true;
        config.ConnectMsg.clear();
        config.DisconnectMsg.clear();
        config.DiscPopup = false;
    }
    vx::CallStatus& call() { return session->callStatus(); }
    void receiveOver(int characters, int seconds) {
        socket.receive(std::string(static_cast<std::size_t>(characters), 'x'));
        timeline.advance(seconds * 1000);
    }
};

TEST_F(CallStatusTest, TheFirstSampleCoversFourSecondsAndLaterOnesThree) {
    connectDirect(0);
    receiveOver(40, 3);
    EXPECT_EQ(call().speedText(), "0");  // no sample yet
    timeline.advance(1000);
    EXPECT_EQ(call().speedText(), "320 / 40");
    EXPECT_EQ(call().averageText(), "80");  // the other three slots are still 0
    receiveOver(10, 3);
    EXPECT_EQ(call().speedText(), "80 / 10");
    EXPECT_EQ(call().averageText(), "100");  // (320 + 80) / 4
    EXPECT_EQ(call().history(), (std::deque<int>{320, 80}));
}

TEST_F(CallStatusTest, AfterASeenDisconnectTheFirstSampleFillsEverySlot) {
    connectDirect(0);
    socket.remoteClose();
    timeline.advance(1000);  // the tick that sees the call gone
    connectDirect(0);
    receiveOver(40, 4);
    EXPECT_EQ(call().speedText(), "320 / 40");
    EXPECT_EQ(call().averageText(), "320");
}

// The average is the mean of the last four samples; a call's first seconds count as 0.
TEST_F(CallStatusTest, TheAverageIsTheMeanOfTheLastFourSamples) {
    connectDirect(0);
    receiveOver(1, 4);  // 8
    EXPECT_EQ(call().averageText(), "2");
    receiveOver(2, 3);  // 16: (8 + 16) / 4 = 6
    EXPECT_EQ(call().averageText(), "6");
    receiveOver(1, 3);  // 8: (8 + 16 + 8) / 4 = 8
    EXPECT_EQ(call().averageText(), "8");
    receiveOver(3, 3);  // 24: (8 + 16 + 8 + 24) / 4 = 14
    EXPECT_EQ(call().averageText(), "14");
    receiveOver(2, 3);  // 16 replaces 8: (16 + 16 + 8 + 24) / 4 = 16
    EXPECT_EQ(call().averageText(), "16");
}

TEST_F(CallStatusTest, ANewMaximumAbove2000IsLogged) {
    connectDirect(0);
    int shown = 0;
    call().setOnMaximum([&](int bps) { shown = bps; });
    receiveOver(250, 4);  // 2000 bits: a new maximum, shown, not logged
    EXPECT_EQ(shown, 2000);
    EXPECT_EQ(bbsList.record().MaxBaud, 2000);
    EXPECT_EQ(logText().find("Max BPS"), std::string::npos);
    receiveOver(251, 3);  // 2008
    EXPECT_EQ(bbsList.record().MaxBaud, 2008);
    EXPECT_NE(logText().find(" ** Max BPS: 2008 **\r\n"), std::string::npos);
    receiveOver(1, 3);  // lower: no change
    EXPECT_EQ(bbsList.record().MaxBaud, 2008);
}

TEST_F(CallStatusTest, SwitchingMeasurementClearsTheIntervalAndIsLogged) {
    connectDirect(0);
    socket.receive(std::string(100, 'x'));
    call().setMeasurement(false);
    EXPECT_NE(logText().find(" > Speed check = 0\r\n"), std::string::npos);
    timeline.advance(4000);
    EXPECT_EQ(call().speedText(), "0");  // off: no samples
    call().setMeasurement(true);
    EXPECT_NE(logText().find(" > Speed check = 1\r\n"), std::string::npos);
    timeline.advance(4000);
    EXPECT_EQ(call().speedText(), "0 / 0");  // the 100 before the switch are not counted
}

TEST_F(CallStatusTest, SpeedTestIsLoggedEvenWithTheLogOff) {
    status.setSysLog(false);
    call().setSpeedTest(true);
    EXPECT_TRUE(screen.flags().speedTest);
    call().setSpeedTest(false);
    EXPECT_NE(logText().find(" > SpeedTest enabled...\r\n"), std::string::npos);
    EXPECT_NE(logText().find(" < SpeedTest disabled...\r\n"), std::string::npos);
    EXPECT_FALSE(call().manualEntry("nothing without the log"));
}

TEST_F(CallStatusTest, ManualEntriesAndTheTotalUpdate) {
    EXPECT_FALSE(call().manualEntry("   "));
    EXPECT_TRUE(call().manualEntry("  called the sysop  "));
    EXPECT_NE(logText().find(" called the sysop\r\n"), std::string::npos);  // after the stamp's blank
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "Manual Log Entry");

    config.TotalIncoming = 1000000;
    connectDirect(0);
    socket.receive(std::string(2345, 'x'));
    EXPECT_EQ(call().incomingText(), "2,345");
    call().updateTotal();
    EXPECT_EQ(config.TotalIncoming, 1002345);
    EXPECT_EQ(call().totalText(), "1,002,345");
    EXPECT_EQ(call().incomingText(), "0");
    EXPECT_NE(logText().find(" . Char Total manually updated\r\n"), std::string::npos);
    EXPECT_NE(logText().find(" : Chars session ..: 0\r\n"), std::string::npos);
    EXPECT_NE(logText().find(" : Total Chars ....: 1,002,345\r\n"), std::string::npos);
}

TEST_F(CallStatusTest, TheCaptionShowsSessionOneForZero) {
    config.SessionNum = 0;
    EXPECT_EQ(call().caption(), "    Session: 1");
    config.SessionNum = 17;
    EXPECT_EQ(call().caption(), "    Session: 17");
}

}  // namespace
