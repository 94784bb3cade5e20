// The Box's buttons on a session with virtual time: the chunked send of a formatted message, the
// sends, Auto C/R, the column alarm, the keystroke buttons and the board's settings.
#include "support/SessionFixture.h"

using vx::test::SessionFixture;

namespace {

constexpr char kEol = static_cast<char>(155);

class TheBoxTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        config.ConnectMsg.clear();
    }
    vx::TheBox& theBox() { return session->box(); }
    void connectWithNoWrap(bool noWrap) {
        ASSERT_TRUE(bbsList.LoadBBSRecord("1"));
        bbsList.record().NoWrap = noWrap;
        ASSERT_TRUE(bbsList.SaveBBSRecord("1", bbsList.record(), false));
        connectDirect(0);
        theBox().boardSelected(bbsList.record());
    }
};

// A board that does not wrap gets a long message in pieces of 152 with a second after each; a
// length that is a multiple of 152 ends with an empty pass and its pause.
struct ChunkCase {
    std::size_t length;
    std::vector<std::size_t> sentAfterEachSecond;
    int doneAfterMs;
};
class ChunkedSend : public TheBoxTest, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(ChunkedSend, PiecesOf152WithASecondAfterEach) {
    connectWithNoWrap(true);
    box.contents = std::string(GetParam().length, 'm');
    theBox().sendFormatted();
    ASSERT_EQ(prompter.messages.back().title, "Quoting...");
    EXPECT_EQ(prompter.messages.back().text,
              "Sending quoted text in chunks... may take a few seconds.\r\n\r\nHit OK to continue...");
    for (std::size_t sent : GetParam().sentAfterEachSecond) {
        EXPECT_EQ(socket.sent.size(), sent);
        timeline.advance(999);
        EXPECT_EQ(socket.sent.size(), sent);  // nothing more until the second is over
        timeline.advance(1);
    }
    timeline.advance(GetParam().doneAfterMs - 1000 * static_cast<int>(GetParam().sentAfterEachSecond.size()));
    EXPECT_FALSE(theBox().sending());
    EXPECT_EQ(socket.sent, std::string(GetParam().length, 'm'));
    EXPECT_EQ(theBox().quoteStep(), 0);
    EXPECT_EQ(box.contents.size(), GetParam().length);  // the Box keeps its text
}

INSTANTIATE_TEST_SUITE_P(Lengths, ChunkedSend,
                         ::testing::Values(ChunkCase{400, {152, 304, 400}, 3000}, ChunkCase{304, {152, 304, 304}, 3000}));

TEST_F(TheBoxTest, AWrappingBoardGetsTheFormattedTextInOnePiece) {
    connectWithNoWrap(false);
    box.contents = "line one\r\nline two";
    theBox().sendFormatted();
    EXPECT_EQ(socket.sent, "line one" + std::string(1, kEol) + " line two");
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(theBox().quoteStep(), 0);
}

TEST_F(TheBoxTest, OfflineNothingIsSent) {
    box.contents = "hello";
    theBox().send();
    theBox().sendAndClear();
    theBox().sendFormatted();
    theBox().sendEndOfLine();
    theBox().keystroke(0);
    timeline.advance(10000);
    EXPECT_TRUE(socket.sent.empty());
    EXPECT_EQ(box.contents, "hello");  // Send/Clear clears only what it sent
}

TEST_F(TheBoxTest, SendKeepsTheBoxSendClearEndsWithAnEndOfLine) {
    connectWithNoWrap(false);
    box.contents = "hi";
    theBox().send();
    EXPECT_EQ(socket.sent, "hi");
    EXPECT_EQ(box.contents, "hi");
    theBox().sendAndClear();
    EXPECT_EQ(socket.sent, "hihi" + std::string(1, kEol));
    EXPECT_EQ(box.contents, "");
    theBox().sendEndOfLine();
    EXPECT_EQ(socket.sent.back(), kEol);
}

TEST_F(TheBoxTest, TheSendDelayPacesTheBoxText) {
    connectWithNoWrap(false);
    EXPECT_FALSE(theBox().setSendDelayText("fast"));
    EXPECT_EQ(theBox().sendDelay(), 0);
    ASSERT_TRUE(theBox().setSendDelayText("50"));
    box.contents = "abc";
    theBox().send();
    timeline.advance(0);
    EXPECT_EQ(socket.sent, "a");
    timeline.advance(50);
    EXPECT_EQ(socket.sent, "ab");
    timeline.advance(50);
    EXPECT_EQ(socket.sent, "abc");
}

TEST_F(TheBoxTest, AutoCarriageReturnSendsEachLineAsItIsFinished) {
    connectWithNoWrap(false);
    theBox().setAutoCR(true);
    box.contents = "first line";
    theBox().textChanged();
    EXPECT_TRUE(socket.sent.empty());
    box.contents = "first line\r\n";
    theBox().textChanged();
    EXPECT_EQ(socket.sent, "first line" + std::string(1, kEol));
    EXPECT_EQ(box.contents, "");
}

TEST_F(TheBoxTest, TheColumnAlarmBeepsFromTheAlarmColumnOn) {
    theBox().setAlarmColumn(5);
    box.contents = "abcd";
    theBox().textChanged();
    EXPECT_EQ(sound.beeps, 0);
    theBox().setAlarmEnabled(true);
    theBox().textChanged();
    EXPECT_EQ(sound.beeps, 0);
    box.contents = "abcde";
    theBox().textChanged();
    EXPECT_EQ(sound.beeps, 1);
}

TEST_F(TheBoxTest, AgainWaitsTheAutoPauseDelayBeforeCtrlS) {
    ASSERT_TRUE(bbsList.LoadBBSRecord("1"));
    bbsList.record().BBSXDelay = "450";
    ASSERT_TRUE(bbsList.SaveBBSRecord("1", bbsList.record(), false));
    connectDirect(0);
    theBox().boardSelected(bbsList.record());
    theBox().keystroke(0);
    timeline.advance(0);
    EXPECT_EQ(socket.sent, "A");
    timeline.advance(10);  // the end of line once the character's 10 ms have passed
    EXPECT_EQ(socket.sent, "A" + std::string(1, kEol));
    timeline.advance(449);
    EXPECT_EQ(socket.sent.size(), 2u);
    timeline.advance(1);
    EXPECT_EQ(socket.sent, "A" + std::string(1, kEol) + "\x13");
    socket.sent.clear();
    theBox().keystroke(1);
    timeline.advance(100);
    EXPECT_EQ(socket.sent, "\x11\x13");
    socket.sent.clear();
    theBox().keystroke(2);
    timeline.advance(100);
    EXPECT_EQ(socket.sent, "\x13");
}

TEST_F(TheBoxTest, FormattingReplacesTheBoxAndSetsTheStep) {
    theBox().formatBox();
    EXPECT_EQ(prompter.messages.back().text, "No Text in Box!");
    EXPECT_EQ(theBox().quoteStep(), 3);
    box.contents = "quoted words";
    theBox().setPrefixBox("Joe");
    theBox().setAutoCR(true);
    theBox().formatBox();
    EXPECT_EQ(box.contents, "Joe quoted words" + std::string(1, kEol));
    EXPECT_FALSE(theBox().autoCR());
    EXPECT_EQ(theBox().alarmColumn(), 30);  // below 30 it becomes the width less 10
}

TEST_F(TheBoxTest, SelectingABoardTakesItsSettingsAndEmptiesThePrefix) {
    ASSERT_TRUE(bbsList.LoadBBSRecord("1"));
    vx::BBSRecord record = bbsList.record();
    record.SendDelayValue = 20;
    record.AlarmColValue = 38;
    record.AlarmColEnabled = true;
    record.NoWrap = true;
    theBox().setPrefixBox("Old");
    theBox().boardSelected(record);
    EXPECT_EQ(theBox().sendDelay(), 20);
    EXPECT_EQ(theBox().alarmColumn(), 38);
    EXPECT_TRUE(theBox().alarmEnabled());
    EXPECT_TRUE(theBox().noWrap());
    EXPECT_EQ(theBox().prefixBox(), "");
}

TEST_F(TheBoxTest, ScrollbackToBoxIsStepOneAndStopsAutoCarriageReturn) {
    connectWithNoWrap(false);
    socket.receive("From: Sysop" + std::string(1, kEol) + "Welcome aboard");
    theBox().setAutoCR(true);
    theBox().scrollbackToBox(2048);
    EXPECT_EQ(box.contents, "From: Sysop Welcome aboard");
    EXPECT_EQ(theBox().quoteStep(), 1);
    EXPECT_FALSE(theBox().autoCR());
}

TEST_F(TheBoxTest, SignSendsTheSignatureWithAnEndOfLine) {
    ASSERT_TRUE(bbsList.LoadBBSRecord("1"));
    bbsList.record().Signature = "-- joe";
    ASSERT_TRUE(bbsList.SaveBBSRecord("1", bbsList.record(), false));
    connectDirect(0);
    theBox().sign();
    EXPECT_EQ(socket.sent, "-- joe" + std::string(1, kEol));
}

TEST_F(TheBoxTest, PastingToTheScreenSendsTheClipboardLinesWhenConnected) {
    clipboard.contents = "one\r\ntwo";
    theBox().pasteToScreen();
    EXPECT_EQ(socket.sent, "");
    connectDirect(0);
    theBox().pasteToScreen();
    EXPECT_EQ(socket.sent, "one" + std::string(1, kEol) + "two");

    // With a Box delay the paste goes out at that pace, a character at a time.
    socket.sent.clear();
    ASSERT_TRUE(theBox().setSendDelayText("20"));
    theBox().pasteToScreen();
    timeline.advance(50);
    EXPECT_LT(socket.sent.size(), 7u);
    timeline.advance(200);
    EXPECT_EQ(socket.sent, "one" + std::string(1, kEol) + "two");
}

TEST_F(TheBoxTest, ClipboardTextIsAddedToTheBox) {
    box.contents = "a";
    clipboard.contents = "pasted";
    theBox().clipboardToBox();
    EXPECT_EQ(box.contents, "apasted");
}

// A prefix that leaves the text fewer than ten columns is refused with a word; the Box stays.
TEST_F(TheBoxTest, APrefixLeavingNoRoomIsRefused) {
    box.contents = "quoted words";
    theBox().setPrefixBox(std::string(45, '>'));
    theBox().formatBox();
    EXPECT_EQ(box.contents, "quoted words");
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages.back().text,
              "The quote prefix (46 characters) leaves fewer than 10 columns of text in a 40-column Box.\r\n"
              "Use a shorter prefix.");
}

// What a paste cannot turn into ATASCII is left out, and the status bar counts it.
TEST_F(TheBoxTest, APasteCountsWhatItLeftOut) {
    connectDirect(0);
    clipboard.unicode = U"cafe\u0301 \u4e2d\u2588";
    theBox().pasteToScreen();
    EXPECT_EQ(socket.sent, "cafe \xa0");
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "Pasted: 1 character left out (no ATASCII for it)");
}

}  // namespace
