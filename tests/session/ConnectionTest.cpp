#include "support/SessionFixture.h"

using vx::test::SessionFixture;

namespace {

constexpr char kEol = static_cast<char>(155);

class ConnectionTest : public SessionFixture {};

TEST_F(ConnectionTest, ConnectingDialsTheSelectedRecord) {
    connection().selectBBS(0);
    EXPECT_EQ(connection().recordId(), "1");
    EXPECT_EQ(connection().websiteTitle(), "Vexterm Demo BBS");
    connection().connectButton();
    EXPECT_EQ(socket.host, "127.0.0.1");
    EXPECT_EQ(socket.port, 6502);
    EXPECT_TRUE(connection().connecting());
    EXPECT_EQ(connection().connectCaption(), "Abort");
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "Connecting to 127.0.0.1:6502");
    EXPECT_NE(logText().find("  > Connecting...\r\n"), std::string::npos);
    EXPECT_TRUE(socket.sent.empty());
}

TEST_F(ConnectionTest, TheConnectMessageIsDrawnNotSent) {
    config.TitleBarMsg = false;
    config.BeepOnConnect = true;
    connectTo(0);
    EXPECT_TRUE(connection().connected());
    EXPECT_FALSE(connection().connecting());
    EXPECT_EQ(connection().connectCaption(), "Connect");
    EXPECT_TRUE(connection().indicatorGreen());
    EXPECT_FALSE(connection().connectEnabled());
    EXPECT_TRUE(connection().disconnectEnabled());
    EXPECT_EQ(rowText(0).substr(0, 11), "CONNECT... ");
    EXPECT_EQ(screen.state().CursorY, 1);
    EXPECT_TRUE(socket.sent.empty());
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(connection().frameCaption(), "Vexterm - [127.0.0.1]");
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "URL: 127.0.0.1:6502");
    EXPECT_EQ(stored("1", "Connects"), "1");
    EXPECT_EQ(stored("1", "LastCall"), "12/06/2026 10:51AM");
    const std::string log = logText();
    EXPECT_NE(log.find("  > Connected to Vexterm Demo BBS\r\n"), std::string::npos);
    EXPECT_NE(log.find(" URL: 127.0.0.1:6502\r\n"), std::string::npos);
}

TEST_F(ConnectionTest, PressingConnectAgainAborts) {
    connection().selectBBS(1);
    connection().connectButton();
    connection().connectButton();
    EXPECT_FALSE(connection().connecting());
    EXPECT_EQ(connection().connectCaption(), "Connect");
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "Connection Aborted");
    EXPECT_EQ(socket.closes, 2);
    EXPECT_EQ(*glyphs.codeAt(surface, screen.state().CursorX, screen.state().CursorY), 160);  // block cursor
    EXPECT_NE(logText().find(" Connection Aborted\r\n"), std::string::npos);
}

TEST_F(ConnectionTest, HangingUpWhileDiallingEndsTheAttempt) {
    connection().selectBBS(1);
    connection().connectButton();
    EXPECT_TRUE(connection().disconnectEnabled());
    connection().disconnectButton();
    EXPECT_FALSE(connection().connecting());
    EXPECT_FALSE(connection().disconnectEnabled());
    EXPECT_TRUE(connection().connectEnabled());
    EXPECT_EQ(connection().connectCaption(), "Connect");
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "Connection Aborted");
    connection().connectButton();  // and the next press dials again instead of aborting
    EXPECT_TRUE(connection().connecting());
    EXPECT_EQ(socket.connectRequests, 2);
}

TEST_F(ConnectionTest, QuittingDuringACallBooksItLikeAHangUp) {
    config.DiscPopup = true;
    config.AutoNext = true;
    connectTo(0);
    timeline.advance(90'000);
    connection().hangUpForShutdown();
    EXPECT_FALSE(connection().connected());
    EXPECT_EQ(stored("1", "TotalTime"), "90");
    EXPECT_EQ(stored("1", "LastTimeOnline"), "0:01:30");
    EXPECT_EQ(stored("1", "Connects"), "1");
    EXPECT_NE(logText().find(" Closed (LOCAL)\r\n"), std::string::npos);
    EXPECT_TRUE(prompter.messages.empty());  // no pop-up and no next board while the program ends
    EXPECT_EQ(socket.connectRequests, 1);
}

// Connect with no board to call says so and leaves the screen as it is: nothing was chosen, or
// the chosen board has been deleted since.
TEST_F(ConnectionTest, NothingSelected) {
    for (const bool deleted : {false, true}) {
        SCOPED_TRACE(deleted ? "the selected board deleted" : "nothing selected");
        prompter.messages.clear();
        if (deleted) {
            connection().selectBBS(2);
            ASSERT_TRUE(bbsList.DeleteBBSRecord(std::to_string(bbsList.entries()[2].id)));
        }
        screen.ScreenHandler(vx::ScreenInterpreter::kClearScreen);
        screen.SendToScreen("still here");
        connection().connectButton();
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(prompter.messages[0].text, "You must first select a BBS from the list below");
        EXPECT_EQ(prompter.messages[0].title, "ERROR");
        EXPECT_EQ(rowText(0).substr(0, 10), "still here");
        EXPECT_EQ(socket.connectRequests, 0);
    }
}

TEST_F(ConnectionTest, TelnetBytesAreDrawnOneByOne) {
    config.ConnectMsg.clear();
    connectDirect(0);
    socket.receive(
        "\xFF\xFB\x01"
        "AB");
    EXPECT_EQ(rowText(0).substr(0, 4), std::string("\xFB\x01"
                                                   "AB"));
    EXPECT_EQ(connection().sessionChars(), 5);
    EXPECT_EQ(connection().intervalChars(), 5);
}

TEST_F(ConnectionTest, CtrlCDiscardsTheNextChunk) {
    config.ConnectMsg.clear();
    connectDirect(0);
    session->keyboard().characterKey(3);
    EXPECT_EQ(socket.sent, "\x03");
    socket.receive("LOST TEXT");
    socket.receive("KEPT");
    EXPECT_EQ(rowText(0).substr(0, 4), "KEPT");
    EXPECT_EQ(connection().sessionChars(), 13);
}

TEST_F(ConnectionTest, WithBaudSimNothingIsDrawnAtArrival) {
    config.ConnectMsg.clear();
    config.BaudSimVal = 3;
    connectTo(0);  // the sample record has BaudSim on
    ASSERT_TRUE(session->baudSim().active());
    EXPECT_EQ(statusSink.panels["pnlBAUDSIM"], "Baud");
    socket.receive("HELLO");
    EXPECT_EQ(connection().sessionChars(), 5);
    EXPECT_EQ(rowText(0).substr(0, 2), "\xA0 ");  // only the cursor of the clear screen
    timeline.advance(40);                         // the drain starts: one byte, then 6 ms per byte
    EXPECT_EQ(rowText(0).substr(0, 3), "H\xA0 ");
    timeline.advance(6);
    EXPECT_EQ(rowText(0).substr(0, 3), "HE\xA0");
    timeline.advance(18);
    EXPECT_EQ(rowText(0).substr(0, 5), "HELLO");
}

// A board far faster than the simulated modem is left in the socket (whose window then stops
// it) instead of piling up in memory; every byte is still drawn, also what waited at its close.
TEST_F(ConnectionTest, AFastBoardWaitsWhileTheBaudSimulatorCatchesUp) {
    config.ConnectMsg.clear();
    config.DisconnectMsg.clear();
    config.BaudSimVal = 0;
    connectTo(0);
    ASSERT_TRUE(session->baudSim().active());
    socket.maxRead = 64 * 1024;
    std::string page;
    for (int line = 0; page.size() < 2u << 20; ++line) page += "LINE " + std::to_string(line) + kEol;
    socket.pending = page;
    for (int arrival = 0; arrival < 100; ++arrival) socket.events->onDataArrival(socket.pending.size());
    EXPECT_LE(session->baudSim().backlog(), vx::BaudSimulator::kMaxBacklog + socket.maxRead);
    EXPECT_GT(socket.pending.size(), std::size_t{1} << 20);

    // As the real socket does, every read that leaves bytes behind is followed by another
    // arrival; a socket left alone because of the simulator reports nothing more, so reading
    // must resume from the drawing side.
    auto socketEvents = [&](std::size_t before) {
        while (!socket.pending.empty() && socket.pending.size() < before) {
            before = socket.pending.size();
            socket.events->onDataArrival(before);
        }
    };
    for (int ms = 0; ms < 60'000 && connection().sessionChars() < 1 << 20; ms += 40) {
        const std::size_t before = socket.pending.size();
        timeline.advance(40);
        socketEvents(before);
    }
    EXPECT_GE(connection().sessionChars(), 1 << 20);
    EXPECT_LE(session->baudSim().backlog(), vx::BaudSimulator::kMaxBacklog + socket.maxRead);

    socket.remoteClose();
    EXPECT_EQ(connection().sessionChars(), static_cast<std::int64_t>(page.size()));
    EXPECT_TRUE(socket.pending.empty());
    for (int ms = 0; ms < 60'000 && session->baudSim().backlog() > 0; ms += 40) timeline.advance(40);
    EXPECT_EQ(session->baudSim().backlog(), 0u);
    const std::size_t last = page.rfind("LINE ");
    const std::string lastLine = page.substr(last, page.size() - 1 - last);
    bool shown = false;
    for (int row = 0; row < 24; ++row) shown |= rowText(row).find(lastLine) != std::string::npos;
    EXPECT_TRUE(shown) << lastLine;
}

TEST_F(ConnectionTest, RemoteCloseShowsTheMessageAndCountsTheTime) {
    config.TitleBarMsg = false;
    connectTo(0);
    timeline.advance(65'000);
    EXPECT_EQ(connection().onlineText(), "00:01:05");
    socket.remoteClose();
    EXPECT_FALSE(connection().connected());
    EXPECT_FALSE(connection().online());
    EXPECT_TRUE(connection().connectEnabled());
    EXPECT_FALSE(session->baudSim().ticking());
    EXPECT_EQ(connection().frameCaption(), "Vexterm - []");
    EXPECT_EQ(rowText(1).substr(0, 13), "NO CARRIER...");
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "Online: 01");
    EXPECT_EQ(stored("1", "TotalTime"), "65");
    EXPECT_EQ(stored("1", "LastTimeOnline"), "0:01:05");
    const std::string log = logText();
    EXPECT_NE(log.find(" Closed (REMOTE)\r\n"), std::string::npos);
    EXPECT_EQ(log.find("Online: "), std::string::npos);  // a remote close does not log the time
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(ConnectionTest, LocalDisconnectLogsTheTime) {
    connectTo(0);
    timeline.advance(125'000);
    connection().disconnectButton();
    EXPECT_FALSE(connection().connected());
    const std::string log = logText();
    EXPECT_NE(log.find(" Closed (LOCAL)\r\n"), std::string::npos);
    EXPECT_NE(log.find(" Online: 02\r\n"), std::string::npos);
    EXPECT_EQ(stored("1", "TotalTime"), "125");
}

TEST_F(ConnectionTest, PopupThenTheNextBoardWrappingToTheFirst) {
    config.DiscPopup = true;
    config.AutoNext = true;
    int selected = -1;
    connection().setHooks({.selectListEntry = [&](int index) { selected = index; }});
    connectTo(2);  // the last board of the list
    socket.remoteClose();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "NO CARRIER...");
    EXPECT_EQ(prompter.messages[0].title, "Disconnected()");
    EXPECT_EQ(selected, 0);
    EXPECT_TRUE(connection().connecting());
    EXPECT_EQ(socket.host, "127.0.0.1");
    EXPECT_EQ(socket.connectRequests, 2);
}

TEST_F(ConnectionTest, SocketErrorsAreReportedAndReturnToIdle) {
    connectTo(0);
    timeline.advance(3000);
    connection().onSocketError(10061, "Connection is forcefully rejected", 10061, "Winsock1_Connect");
    ASSERT_EQ(prompter.messages.size(), 1u);
    // The described lines, then the board that failed.
    EXPECT_EQ(prompter.messages[0].text,
              "ERROR #10061\rCode: 10061\rSource: Winsock1_Connect\r\rDesc: Connection is forcefully rejected"
              "\r\rBBS: Vexterm Demo BBS\rHost: 127.0.0.1:6502");
    EXPECT_EQ(prompter.messages[0].title, "WinSock ERROR");
    EXPECT_EQ(prompter.messages[0].icon, vx::MessageIcon::Critical);
    EXPECT_FALSE(connection().connected());
    EXPECT_TRUE(connection().connectEnabled());
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "WINSOCK Error 10061");
    EXPECT_NE(logText().find(" ERROR: 10061 - 127.0.0.1:6502 - Connection is forcefully rejected\r\n"),
              std::string::npos);
    EXPECT_EQ(stored("1", "TotalTime"), "3");
}

TEST_F(ConnectionTest, IncomingConnectionsAreNotAccepted) {
    connection().onConnectionRequest();
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "Trying to connect...");
    EXPECT_FALSE(connection().connected());
}

TEST_F(ConnectionTest, EightyColumnRecordsWidenTheScreen) {
    ASSERT_TRUE(bbsList.LoadBBSRecord("2"));
    bbsList.record().Mode80Col = true;
    bbsList.SaveBBSRecord("2", bbsList.record(), false);
    bool mode80 = false;
    connection().setHooks({.columnMode = [&](bool on) { mode80 = on; }});
    connection().selectBBS(1);
    connection().connectButton();
    EXPECT_TRUE(mode80);
    EXPECT_EQ(screen.state().ColumnCount, 80);
    EXPECT_EQ(statusSink.history[statusSink.history.size() - 2], "pnlSTAT=80 column mode");
}

TEST_F(ConnectionTest, StartingAConnectionBlackensTheScreenButKeepsTheCursor) {
    screen.SendToScreen(std::string("HELLO") + kEol + "AB");
    connection().selectBBS(0);
    connection().connectButton();
    EXPECT_EQ(rowText(0).substr(0, 5), "     ");
    EXPECT_EQ(screen.state().CursorX, 2);
    EXPECT_EQ(screen.state().CursorY, 1);
}

}  // namespace

namespace {

TEST_F(ConnectionTest, DialingAnAddressUsesAnUnsavedRecord) {
    connection().dialAddress("127.0.0.1", 49999);
    EXPECT_EQ(socket.host, "127.0.0.1");
    EXPECT_EQ(socket.port, 49999);
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "Connecting to 127.0.0.1:49999");
    socket.connectionUp();
    EXPECT_TRUE(connection().connected());
    EXPECT_EQ(connection().connectedName(), "127.0.0.1");
    EXPECT_EQ(connection().selectedIndex(), -1);
    for (const auto& macro : bbsList.activeMacros()) EXPECT_TRUE(macro.empty());
    std::string before, after;
    readWholeFileInto((temp / "VX3_BBS.INI").string(), before);
    connection().disconnectButton();
    EXPECT_FALSE(connection().connected());
    // Nothing of the call lands in the list file.
    readWholeFileInto((temp / "VX3_BBS.INI").string(), after);
    EXPECT_EQ(after, before);
}

}  // namespace
