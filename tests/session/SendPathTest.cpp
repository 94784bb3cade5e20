#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "log/StatusReporter.h"
#include "session/SendPath.h"
#include "support/FakeTimeline.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace {

const std::string kEol(1, static_cast<char>(155));

class SendPathTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::test::FakeTimeline timeline;
    vx::test::FakeSocket socket;
    vx::test::FakePrompter prompter;
    vx::test::FakeStatusSink sink;
    vx::SystemLog log{timeline, temp.path().string()};
    vx::StatusReporter status{sink, log};
    vx::SendPath send{socket, timeline, prompter, status};
};

TEST_F(SendPathTest, WithoutDelayTheTextGoesInOnePieceThenTheEndOfLine) {
    EXPECT_TRUE(send.SendToBBS("hello", 0, true));
    EXPECT_EQ(socket.sends, (std::vector<std::string>{"hello", kEol}));
    EXPECT_TRUE(send.SendToBBS("x", 0, false));
    EXPECT_EQ(socket.sends.back(), "x");
    EXPECT_FALSE(send.busy());
}

TEST_F(SendPathTest, WithADelayOneCharacterGoesOutPerStep) {
    EXPECT_TRUE(send.SendToBBS("abc", 10, true));
    EXPECT_TRUE(send.busy());
    timeline.advance(0);
    EXPECT_EQ(socket.sent, "a");
    timeline.advance(9);
    EXPECT_EQ(socket.sent, "a");
    timeline.advance(1);
    EXPECT_EQ(socket.sent, "ab");
    timeline.advance(10);
    EXPECT_EQ(socket.sent, "abc");
    timeline.advance(10);  // the end of line follows the last character's pause
    EXPECT_EQ(socket.sent, "abc" + kEol);
    EXPECT_FALSE(send.busy());
}

TEST_F(SendPathTest, TextsNeverInterleave) {
    send.SendToBBS("slow", 5, false);
    send.SendToBBS("FAST", 0, true);
    send.SendToBBS("xy", 1, false);
    timeline.advance(100);
    EXPECT_EQ(socket.sent, "slowFAST" + kEol + "xy");
}

TEST_F(SendPathTest, ARefusedSendIsReportedAndTheRestDropped) {
    status.setSysLog(true);
    socket.failSends = vx::SocketPort::SendError{10057, "Socket is not connected; a much longer description follows"};
    EXPECT_FALSE(send.SendToBBS("text", 0, true));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              "SendToBBS - Error sending data to BBS!\r\rERROR: 10057 - Socket is not connected; a much longer "
              "description follows");
    EXPECT_EQ(prompter.messages[0].icon, vx::MessageIcon::Critical);
    std::string logged;
    vx::readWholeFile(log.path(), logged);
    EXPECT_NE(logged.find(" SendToBBS - Error sending data to BBS\r\n"), std::string::npos);
    EXPECT_NE(logged.find(" ERROR: 10057 - Socket is not connected; a much lon\r\n"), std::string::npos);

    send.SendToBBS("paced", 5, false);
    timeline.advance(0);
    EXPECT_EQ(prompter.messages.size(), 2u);  // the first character fails; the rest is dropped
    timeline.advance(100);
    EXPECT_EQ(prompter.messages.size(), 2u);
    EXPECT_FALSE(send.busy());
}

TEST_F(SendPathTest, CancelDropsWhatIsWaiting) {
    send.SendToBBS("abcdef", 10, false);
    timeline.advance(15);
    send.cancel();
    timeline.advance(100);
    EXPECT_EQ(socket.sent, "ab");
    EXPECT_FALSE(send.busy());
}

}  // namespace
