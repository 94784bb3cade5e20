#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "session/TelnetCodec.h"
#include "session/TelnetSocket.h"
#include "support/FakeTimeline.h"
#include "support/Fakes.h"
#include "support/SessionFixture.h"

namespace vx::test {
namespace {

// Telnet bytes by name, so the tables read like the wire.
constexpr char IAC = '\xff', DONT = '\xfe', DO = '\xfd', WONT = '\xfc', WILL = '\xfb', SB = '\xfa', SE = '\xf0';
constexpr char BINARY = 0, ECHO = 1, SGA = 3, TTYPE = 24, NAWS = 31;

std::string bytes(std::initializer_list<char> list) { return std::string(list); }

struct Line {
    FakeSocket socket;
    FakeTimeline time;
    TelnetSocket line{socket, time};
    FakeSocket::SendError error;

    std::string opening;  // what the client said before the board said anything

    explicit Line(TelnetSocket::Mode mode) {
        line.beginCall(mode);
        opening = std::exchange(socket.sent, {});
        socket.sends.clear();
    }
    std::string receive(std::string_view wire) {
        socket.pending += wire;
        return line.readAll();
    }
};

struct Negotiation {
    const char* name;
    std::string fromBoard;
    std::string answer;
};

class TelnetNegotiation : public ::testing::TestWithParam<Negotiation> {};

// What a bridge asks and what a client that speaks ATASCII answers: it takes binary, SGA and the
// board's echo, tells its size and type, refuses the rest once.
TEST_P(TelnetNegotiation, IsAnsweredAndLeavesNoByteForTheScreen) {
    Line wire(TelnetSocket::Mode::Telnet);
    EXPECT_EQ(wire.receive(GetParam().fromBoard), "");
    EXPECT_EQ(wire.socket.sent, GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Options, TelnetNegotiation,
    ::testing::Values(
        Negotiation{"WillEcho", bytes({IAC, WILL, ECHO}), bytes({IAC, DO, ECHO})},
        Negotiation{"WillSga", bytes({IAC, WILL, SGA}), bytes({IAC, DO, SGA})},
        Negotiation{"WillBinaryAgreesToOurRequest", bytes({IAC, WILL, BINARY}), ""},
        Negotiation{"DoBinaryAgreesToOurRequest", bytes({IAC, DO, BINARY}), ""},
        Negotiation{"DoEchoRefused", bytes({IAC, DO, ECHO}), bytes({IAC, WONT, ECHO})},
        Negotiation{"DoNaws", bytes({IAC, DO, NAWS}), bytes({IAC, WILL, NAWS, IAC, SB, NAWS, 0, 40, 0, 24, IAC, SE})},
        Negotiation{"TerminalType",
                    bytes({IAC, DO, TTYPE, IAC, SB, TTYPE, 1, IAC, SE}),
                    bytes({IAC, WILL, TTYPE, IAC, SB, TTYPE, 0}) + "ATASCII" + bytes({IAC, SE})},
        Negotiation{"UnknownDoRefused", bytes({IAC, DO, '\x2a'}), bytes({IAC, WONT, '\x2a'})},
        Negotiation{"UnknownWillRefused", bytes({IAC, WILL, '\xc8'}), bytes({IAC, DONT, '\xc8'})},
        Negotiation{"DontAndWontNeedNoAnswer", bytes({IAC, DONT, ECHO, IAC, WONT, SGA}), ""},
        Negotiation{"Storm", [] {
                        std::string storm;
                        for (int i = 0; i < 500; ++i) storm += bytes({IAC, WILL, ECHO, IAC, WILL, SGA});
                        return storm;
                    }(),
                    bytes({IAC, DO, ECHO, IAC, DO, SGA})}),
    [](const auto& info) { return std::string(info.param.name); });

struct Received {
    const char* name;
    std::string wire;
    std::string board;
};

class TelnetData : public ::testing::TestWithParam<Received> {};

// Whatever the commands around them, the board's own bytes come through in order, and a doubled
// 255 is one 255.
TEST_P(TelnetData, KeepsTheBoardsBytes) {
    Line wire(TelnetSocket::Mode::Telnet);
    EXPECT_EQ(wire.receive(GetParam().wire), GetParam().board);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, TelnetData,
    ::testing::Values(
        Received{"DoubledIac", "A" + bytes({IAC, IAC}) + "B", "A\xff" "B"},
        Received{"CommandsBetweenText", "WEL" + bytes({IAC, WILL, ECHO}) + "COME" + bytes({IAC, '\xf1'}) + "!",
                 "WELCOME!"},
        Received{"CarriageReturnsUntouched", std::string("A\r\0B\r\n\x9b", 7), std::string("A\r\0B\r\n\x9b", 7)},
        Received{"GarbageAfterIac", "A" + bytes({IAC, '\x11'}) + "B", "AB"},
        Received{"SubnegotiationEndedByGarbage", "A" + bytes({IAC, SB, NAWS, 'x', IAC, '\x11'}) + "B", "AB"}),
    [](const auto& info) { return std::string(info.param.name); });

// RFC 854 outside binary mode: a data CR is CR NUL on the wire, and CR NUL read is CR. A server
// that never answers the request for binary (it ignores every option) is read as it sends. A
// write never ends on a NUL (a no-op follows), as busybox telnetd drops the last NUL it reads.
struct LineEnds {
    const char* name;
    std::string serverAnswer;          // to our DO BINARY / WILL BINARY
    std::vector<std::string> batches;  // from the board, read one at a time
    std::string shown;
    std::string typed;
    std::string sent;
};

class TelnetLineEnds : public ::testing::TestWithParam<LineEnds> {};

TEST_P(TelnetLineEnds, FollowTheBinaryModeOfEachDirection) {
    Line wire(TelnetSocket::Mode::Telnet);
    EXPECT_EQ(wire.opening, bytes({IAC, DO, BINARY, IAC, WILL, BINARY}));
    EXPECT_EQ(wire.receive(GetParam().serverAnswer), "");
    std::string shown;
    for (const std::string& batch : GetParam().batches) shown += wire.receive(batch);
    EXPECT_EQ(shown, GetParam().shown);
    wire.socket.sent.clear();
    ASSERT_TRUE(wire.line.send(GetParam().typed, wire.error));
    EXPECT_EQ(wire.socket.sent, GetParam().sent);
}

const std::string kCrNul("A\r\0B\r\n\r", 7);
const std::string kTyped = "A\rB\r\n\xff\r";

INSTANTIATE_TEST_SUITE_P(
    Modes, TelnetLineEnds,
    ::testing::Values(
        LineEnds{"BinaryBothWays",
                 bytes({IAC, WILL, BINARY, IAC, DO, BINARY}),
                 {kCrNul, std::string(1, '\0')},
                 kCrNul + '\0',
                 kTyped,
                 "A\rB\r\n\xff\xff\r"},
        LineEnds{"RefusedBothWays",
                 bytes({IAC, WONT, BINARY, IAC, DONT, BINARY}),
                 {kCrNul, std::string("\0C", 2), std::string("\r\0\0", 3)},
                 "A\rB\r\n\rC\r" + std::string(1, '\0'),
                 kTyped,
                 std::string("A\r\0B\r\0\n\xff\xff\r\0\xff\xf1", 13)},
        LineEnds{"ServerBinaryOnly",
                 bytes({IAC, WILL, BINARY, IAC, DONT, BINARY}),
                 {kCrNul},
                 kCrNul,
                 "\r",
                 std::string("\r\0\xff\xf1", 4)},
        LineEnds{"BinaryWriteEndingOnNul",
                 bytes({IAC, WILL, BINARY, IAC, DO, BINARY}),
                 {},
                 "",
                 std::string("A\0", 2),
                 std::string("A\0\xff\xf1", 4)},
        LineEnds{"ClientBinaryOnly", bytes({IAC, WONT, BINARY, IAC, DO, BINARY}), {kCrNul}, "A\rB\r\n\r", "\r", "\r"},
        LineEnds{"ServerIgnoresOptions", "", {kCrNul}, kCrNul, "\r\n", std::string("\r\0\n", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

// Everything one batch of received bytes makes us say leaves in one write, so a server that reads
// a subnegotiation per segment never sees half of one.
TEST(Telnet, EachBatchIsAnsweredInOneWrite) {
    Line wire(TelnetSocket::Mode::Telnet);
    wire.receive(bytes({IAC, DO, NAWS, IAC, DO, TTYPE, IAC, SB, TTYPE, 1, IAC, SE, IAC, WILL, ECHO}));
    ASSERT_EQ(wire.socket.sends.size(), 1u);
    EXPECT_EQ(wire.socket.sends[0],
              bytes({IAC, WILL, NAWS, IAC, SB, NAWS, 0, 40, 0, 24, IAC, SE, IAC, WILL, TTYPE, IAC, SB, TTYPE, 0}) +
                  "ATASCII" + bytes({IAC, SE, IAC, DO, ECHO}));
    wire.line.setWindowSize(80, 24);
    ASSERT_EQ(wire.socket.sends.size(), 2u);
    EXPECT_EQ(wire.socket.sends[1], bytes({IAC, SB, NAWS, 0, 80, 0, 24, IAC, SE}));
}

TEST(Telnet, CommandsSplitAnywhereGiveTheSameBytesAndAnswers) {
    const std::string wire = "AB" + bytes({IAC, WILL, ECHO, IAC, DO, NAWS, IAC, IAC, IAC, SB, TTYPE, 1, IAC, SE}) +
                             "CD" + bytes({IAC, DO, TTYPE, IAC, SB, TTYPE, 1, IAC, SE});
    Line whole(TelnetSocket::Mode::Telnet);
    const std::string board = whole.receive(wire);
    ASSERT_EQ(board, "AB\xff" "CD");
    for (std::size_t cut1 = 1; cut1 < wire.size(); ++cut1) {
        for (std::size_t cut2 = cut1; cut2 < wire.size(); ++cut2) {
            Line split(TelnetSocket::Mode::Telnet);
            std::string got = split.receive(wire.substr(0, cut1));
            got += split.receive(wire.substr(cut1, cut2 - cut1));
            got += split.receive(wire.substr(cut2));
            ASSERT_EQ(got, board) << cut1 << "," << cut2;
            ASSERT_EQ(split.socket.sent, whole.socket.sent) << cut1 << "," << cut2;
        }
    }
}

// A subnegotiation that never ends is given up after a bounded buffer; the board's text goes on.
TEST(Telnet, AnEndlessSubnegotiationIsGivenUp) {
    Line wire(TelnetSocket::Mode::Telnet);
    const std::string shown = wire.receive(bytes({IAC, SB, '\x2a'}) + std::string(100000, 'x') + "END");
    EXPECT_TRUE(shown.ends_with("END"));
    EXPECT_LT(shown.size(), 100000u);
}

TEST(Telnet, RandomBytesNeverStopTheLine) {
    std::mt19937 random(1234);
    Line wire(TelnetSocket::Mode::Telnet);
    std::string noise(1 << 16, '\0');
    for (char& byte : noise) byte = static_cast<char>(random() % 4 == 0 ? 0xf0 + random() % 16 : random() % 256);
    std::size_t kept = 0;
    for (std::size_t at = 0; at < noise.size(); at += 37) kept += wire.receive(noise.substr(at, 37)).size();
    EXPECT_LE(kept, noise.size());
    // Whatever half command the noise ended in, two ends of commands bring the line back.
    EXPECT_TRUE(wire.receive(bytes({IAC, SE, IAC, SE}) + "OK").ends_with("OK"));
}

TEST(Telnet, SentBytesDouble255OnlyInTelnetMode) {
    const std::string typed = "A\xff" "B\x9b";
    Line telnet(TelnetSocket::Mode::Telnet);
    ASSERT_TRUE(telnet.line.send(typed, telnet.error));
    EXPECT_EQ(telnet.socket.sent, "A\xff\xff" "B\x9b");

    Line raw(TelnetSocket::Mode::Raw);
    ASSERT_TRUE(raw.line.send(typed, raw.error));
    EXPECT_EQ(raw.socket.sent, typed);
    EXPECT_EQ(raw.receive(bytes({IAC, WILL, ECHO})), bytes({IAC, WILL, ECHO}));
    EXPECT_EQ(raw.socket.sent, typed);
}

TEST(Telnet, AutoSpeaksTelnetOnlyWhenTheCallOpensWithACommand) {
    Line bridge(TelnetSocket::Mode::Auto);
    EXPECT_EQ(bridge.receive(bytes({IAC, WILL, ECHO}) + "HI"), "HI");
    EXPECT_TRUE(bridge.line.telnetActive());
    EXPECT_EQ(bridge.socket.sent, bytes({IAC, DO, BINARY, IAC, WILL, BINARY, IAC, DO, ECHO}));

    Line board(TelnetSocket::Mode::Auto);
    EXPECT_EQ(board.receive(std::string(4096, 'x')), std::string(4096, 'x'));
    EXPECT_EQ(board.receive(bytes({IAC, WILL, ECHO})), bytes({IAC, WILL, ECHO}));
    EXPECT_FALSE(board.line.telnetActive());
    EXPECT_EQ(board.socket.sent, "");

    // The next call decides afresh.
    board.line.beginCall(TelnetSocket::Mode::Auto);
    EXPECT_EQ(board.receive(bytes({IAC, WILL, SGA})), "");
    EXPECT_EQ(board.socket.sent, bytes({IAC, DO, BINARY, IAC, WILL, BINARY, IAC, DO, SGA}));
}

// Auto watches the first 4 KiB and 5 seconds of a call (from its first byte) for a telnet command:
// what came before stays on the screen, the command and what follows are read as telnet.
struct AutoCall {
    const char* name;
    std::vector<std::pair<int, std::string>> reads;  // milliseconds waited before each read, its bytes
    std::string shown;
    bool telnet;
};

class TelnetAuto : public ::testing::TestWithParam<AutoCall> {};

TEST_P(TelnetAuto, SwitchesOnACommandEarlyInTheCall) {
    Line wire(TelnetSocket::Mode::Auto);
    std::string shown;
    for (const auto& [waitMs, batch] : GetParam().reads) {
        wire.time.advance(waitMs);
        shown += wire.receive(batch);
    }
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_EQ(wire.line.telnetActive(), GetParam().telnet);
    EXPECT_EQ(wire.socket.sent.find(bytes({IAC, DO, ECHO})) != std::string::npos, GetParam().telnet);
}

const std::string kBanner = "WELCOME\x9b";
const std::string kWillEcho = bytes({IAC, WILL, ECHO});

INSTANTIATE_TEST_SUITE_P(
    Calls, TelnetAuto,
    ::testing::Values(
        AutoCall{"BannerThenCommands",
                 {{0, kBanner}, {300, kWillEcho + bytes({IAC, DO, TTYPE}) + "X"}},
                 kBanner + "X",
                 true},
        AutoCall{"CommandInTheBannersRead", {{0, kBanner + kWillEcho + "X"}}, kBanner + "X", true},
        AutoCall{
            "CommandSplitBetweenReads", {{0, kBanner + IAC}, {10, std::string{WILL, ECHO} + "X"}}, kBanner + "X", true},
        AutoCall{"OtherIacPairsStayText",
                 {{0, "A" + bytes({IAC, IAC, IAC, '\xf1'}) + "B"}, {0, kWillEcho}},
                 "A" + bytes({IAC, IAC, IAC, '\xf1'}) + "B",
                 true},
        AutoCall{"CommandInTheLastByteOf4KiB", {{0, std::string(4095, 'x') + kWillEcho}}, std::string(4095, 'x'), true},
        AutoCall{
            "CommandAfter4KiB", {{0, std::string(4096, 'x') + kWillEcho}}, std::string(4096, 'x') + kWillEcho, false},
        AutoCall{"CommandJustBefore5Seconds", {{0, kBanner}, {4999, kWillEcho}}, kBanner, true},
        AutoCall{"CommandAfter5Seconds", {{0, kBanner}, {5000, kWillEcho}}, kBanner + kWillEcho, false},
        AutoCall{"SilenceBeforeTheFirstByteIsNotCounted", {{9000, kBanner}, {1000, kWillEcho}}, kBanner, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Telnet, ANewScreenWidthIsToldOnceTheServerAskedForIt) {
    Line wire(TelnetSocket::Mode::Telnet);
    wire.line.setWindowSize(80, 24);
    EXPECT_EQ(wire.socket.sent, "");
    wire.receive(bytes({IAC, DO, NAWS}));
    EXPECT_EQ(wire.socket.sent, bytes({IAC, WILL, NAWS, IAC, SB, NAWS, 0, 80, 0, 24, IAC, SE}));
    wire.socket.sent.clear();
    wire.line.setWindowSize(40, 24);
    EXPECT_EQ(wire.socket.sent, bytes({IAC, SB, NAWS, 0, 40, 0, 24, IAC, SE}));
}

// The demo board's side: it opens like a modem bridge and learns the caller's width and type.
TEST(Telnet, ServerLearnsTheCallersSizeAndType) {
    std::string toCaller;
    std::string toServer;
    TelnetCodec server(TelnetCodec::Side::Server, [&](std::string_view bytes) { toCaller += bytes; });
    TelnetCodec client(TelnetCodec::Side::Client, [&](std::string_view bytes) { toServer += bytes; });
    client.setWindowSize(80, 24);
    server.open();
    for (int round = 0; round < 4; ++round) {
        EXPECT_EQ(client.decode(std::exchange(toCaller, {})), "");
        EXPECT_EQ(server.decode(std::exchange(toServer, {})), "");
    }
    EXPECT_EQ(server.callerColumns(), 80);
    EXPECT_EQ(server.callerType(), "ATASCII");
    EXPECT_EQ(client.decode(server.encode("\xff")), "\xff");
}

class TelnetSessionTest : public SessionFixture {};

// Capture, scrollback and the screen see the board's bytes only.
TEST_F(TelnetSessionTest, ATelnetBoardsNegotiationNeverReachesTheScreen) {
    ASSERT_TRUE(bbsList.LoadBBSRecord("1"));
    bbsList.record().Protocol = "Auto";
    bbsList.SaveBBSRecord("1", bbsList.record(), false);
    connectDirect(0);
    socket.receive(bytes({IAC, WILL, ECHO, IAC, WILL, SGA, IAC, DO, NAWS}) + "READY");
    EXPECT_EQ(rowText(1).substr(0, 8), "READY\xa0  ");
    EXPECT_EQ(socket.sent, bytes({IAC, DO,   BINARY, IAC, WILL, BINARY, IAC, DO, ECHO, IAC, DO,  SGA,
                                  IAC, WILL, NAWS,   IAC, SB,   NAWS,   0,   40, 0,    24,  IAC, SE}));
    // The 40/80 key tells the server the new width.
    socket.sent.clear();
    connection().switchColumns(true);
    EXPECT_EQ(socket.sent, bytes({IAC, SB, NAWS, 0, 80, 0, 24, IAC, SE}));
}

}  // namespace
}  // namespace vx::test
