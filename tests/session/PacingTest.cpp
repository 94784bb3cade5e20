// Stay-alive, the baud-rate simulator and one-at-a-time macros, on virtual time.
#include "support/SessionFixture.h"

using vx::test::SessionFixture;

namespace {

constexpr int kMinute = 60'000;

class StayAliveTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        config.ConnectMsg.clear();
        connectDirect(0);
        session->stayAlive().setActive(true);
    }
};

TEST_F(StayAliveTest, SendsTheTextOnEverySecondTick) {
    EXPECT_EQ(statusSink.panels["pnlSTAYALIVE"], "Stay");
    timeline.advance(kMinute);
    EXPECT_TRUE(socket.sent.empty());
    EXPECT_TRUE(session->stayAlive().armed());
    timeline.advance(kMinute);
    EXPECT_EQ(socket.sent, ".");
    timeline.advance(2 * kMinute);
    EXPECT_EQ(socket.sent, "..");
}

TEST_F(StayAliveTest, AKeyRestartsTheWait) {
    timeline.advance(kMinute + 30'000);  // armed
    session->keyboard().characterKey('x');
    EXPECT_FALSE(session->stayAlive().armed());
    timeline.advance(2 * kMinute - 1);
    EXPECT_EQ(socket.sent, "x");
    timeline.advance(1);
    EXPECT_EQ(socket.sent, "x.");
}

TEST_F(StayAliveTest, TheTextIsSentAndStoredTrimmed) {
    config.setStayAliveChar("  ping ");
    timeline.advance(2 * kMinute);
    EXPECT_EQ(socket.sent, "ping");
    EXPECT_EQ(config.StayAliveChar, "ping" + std::string(16, ' '));
}

TEST_F(StayAliveTest, NothingWhenInactiveOrOffline) {
    session->toggleStayAlive();
    EXPECT_EQ(statusSink.panels["pnlSTAYALIVE"], "");
    timeline.advance(5 * kMinute);
    session->toggleStayAlive();
    connection().disconnectButton();
    timeline.advance(5 * kMinute);
    EXPECT_TRUE(socket.sent.empty());
}

class BaudSimTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        config.ConnectMsg.clear();
        connectTo(0);  // the sample board has the simulator on
    }
    std::string row0(std::size_t n) { return rowText(0).substr(0, n); }
};

TEST_F(BaudSimTest, ValueZeroStillDrawsThroughTheDrain) {
    config.BaudSimVal = 0;
    socket.receive("ABC");
    EXPECT_EQ(row0(1), "\xA0");
    timeline.advance(40);
    EXPECT_EQ(row0(3), "ABC");
}

TEST_F(BaudSimTest, TurningItOffLeavesWaitingDataUndrawn) {
    config.BaudSimVal = 9;
    socket.receive("WAIT");
    session->toggleBaudSim();
    EXPECT_EQ(statusSink.panels["pnlBAUDSIM"], "");
    timeline.advance(1000);
    EXPECT_EQ(row0(1), "\xA0");
    EXPECT_EQ(session->baudSim().WinSockBuffer(), "WAIT");
    socket.receive("NOW");
    EXPECT_EQ(row0(3), "NOW");
    session->toggleBaudSim();
    timeline.advance(40 + 4 * 18);
    EXPECT_EQ(row0(7), "NOWWAIT");
}

TEST_F(BaudSimTest, DataArrivingDuringADrainWaitsForTheNextOne) {
    config.BaudSimVal = 5;  // 10 ms per byte
    socket.receive("12345");
    timeline.advance(40 + 10);
    EXPECT_EQ(row0(2), "12");
    socket.receive("ab");
    EXPECT_EQ(session->baudSim().WinSockBuffer(), "ab");
    EXPECT_EQ(session->baudSim().BaudSimBuffer(), "345");
    timeline.advance(1000);
    EXPECT_EQ(row0(7), "12345ab");
}

TEST_F(BaudSimTest, CtrlCStopsTheDrainAndThrowsBothBuffersAway) {
    config.BaudSimVal = 5;
    socket.receive("ABCDEFGH");
    timeline.advance(40 + 10);
    socket.receive("more");
    session->keyboard().characterKey(3);
    timeline.advance(1000);
    EXPECT_EQ(row0(3), "AB\xA0");
    EXPECT_TRUE(session->baudSim().WinSockBuffer().empty());
    EXPECT_TRUE(session->baudSim().BaudSimBuffer().empty());
    EXPECT_FALSE(session->abortFlag());
    socket.receive("Z");
    timeline.advance(40);
    EXPECT_EQ(row0(3), "ABZ");
}

TEST_F(BaudSimTest, ClearOnDisconnectStopsADrainAtTheNextByte) {
    ASSERT_TRUE(bbsList.LoadBBSRecord("1"));
    bbsList.record().ClrBufferOnDisc = true;
    config.DisconnectMsg.clear();
    config.BaudSimVal = 5;
    socket.receive("ABCDEFGH");
    timeline.advance(40 + 10);
    socket.remoteClose();
    timeline.advance(1000);
    EXPECT_EQ(row0(3), "AB\xA0");
}

TEST_F(BaudSimTest, WithoutClearOnDisconnectTheDrainFinishes) {
    config.DisconnectMsg.clear();
    config.BaudSimVal = 5;
    socket.receive("ABCD");
    timeline.advance(40);
    socket.remoteClose();
    timeline.advance(1000);
    EXPECT_EQ(row0(4), "ABCD");
}

// The board's last page (its goodbye) comes before the disconnect message, whatever state the
// simulator was in when the line dropped: waiting, drawing, or switched off with data waiting.
struct ClosingCase {
    const char* name;
    bool drainStarted;
    bool switchedOff;
};
void PrintTo(const ClosingCase& c, std::ostream* out) { *out << c.name; }

class BaudSimClosing : public BaudSimTest, public ::testing::WithParamInterface<ClosingCase> {};

TEST_P(BaudSimClosing, TheLastPageIsDrawnBeforeTheDisconnectMessage) {
    config.DisconnectMsg = "NO CARRIER...";
    config.BaudSimVal = 5;
    socket.receive("GOOD");
    if (GetParam().drainStarted) timeline.advance(40 + 10);
    socket.receive("BYE");
    if (GetParam().switchedOff) session->toggleBaudSim();
    socket.remoteClose();
    timeline.advance(1000);
    EXPECT_EQ(row0(20), "GOODBYENO CARRIER...");
    EXPECT_FALSE(session->baudSim().ticking());  // the ticks end with the close
}

INSTANTIATE_TEST_SUITE_P(States, BaudSimClosing,
                         ::testing::Values(ClosingCase{"Waiting", false, false}, ClosingCase{"Drawing", true, false},
                                           ClosingCase{"SwitchedOffWithDataWaiting", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BaudSimTest, ANewCallForgetsAnUnfinishedClose) {
    config.DisconnectMsg = "NO CARRIER...";
    config.BaudSimVal = 9;
    socket.receive(std::string(100, 'x'));
    socket.remoteClose();
    connection().connectButton();  // dials again at once; the screen is cleared
    socket.connectionUp();
    timeline.advance(10000);
    EXPECT_EQ(rowText(0).find("NO CARRIER"), std::string::npos);
    EXPECT_EQ(rowText(1).find("NO CARRIER"), std::string::npos);
}

class MacroTest : public SessionFixture {};

TEST_F(MacroTest, ButtonsShowTheMacrosThatHaveText) {
    connectDirect(0);
    const auto& buttons = session->macros().buttons();
    EXPECT_EQ(buttons[0], (vx::MacroSender::Button{true, "0"}));
    EXPECT_EQ(buttons[1], (vx::MacroSender::Button{true, "1"}));
    for (int i = 2; i < 10; ++i) EXPECT_FALSE(buttons[static_cast<std::size_t>(i)].visible) << i;
    session->macroButton(1);
    EXPECT_EQ(socket.sent, "yourpassword\x9B");
}

TEST_F(MacroTest, NothingIsSentOffline) {
    session->macroButton(0);
    session->keyboard().specialKey(vx::KeyCode::Digit0, true, true, false);
    EXPECT_TRUE(socket.sent.empty());
}

TEST_F(MacroTest, TrimmedBeforeSendingAndOneAtATimeWhenAsked) {
    ASSERT_TRUE(bbsList.LoadBBSRecord("1"));
    bbsList.record().macros[2] = {std::string("  hi<CR>\0x  ", 12), "0"};
    bbsList.record().OneAtaTime = true;
    bbsList.SaveBBSRecord("1", bbsList.record(), false);
    connectDirect(0);
    session->macroButton(2);
    EXPECT_EQ(socket.sends.back(), std::string("hi\x9B\0x", 5));
    socket.sent.clear();
    session->keyboard().specialKey(50, true, true, false);  // Shift+Ctrl+2
    timeline.advance(0);
    EXPECT_EQ(socket.sent, "h");
    timeline.advance(124);
    EXPECT_EQ(socket.sent, "h");
    timeline.advance(1);
    EXPECT_EQ(socket.sent, "hi");
    timeline.advance(125 * 3);
    EXPECT_EQ(socket.sent, "hi\x9Bx");  // the NUL is skipped
}

}  // namespace
