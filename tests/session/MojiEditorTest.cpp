// VXEditor's core on a session with virtual time: the ChXbox steps drawn offline and sent to a
// board, the warning before the first send, the paced send, 'Moji files saved and loaded, the
// options around a send, and what feeds the number text.
#include "base/AtomicFile.h"
#include "support/SessionFixture.h"
#include "tools/MojiFiles.h"

using vx::MojiEditor;
using vx::test::SessionFixture;

namespace {

constexpr char kEol = static_cast<char>(155);

class MojiEditorTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        config.ConnectMsg.clear();
        config.MojisDumpPath = (temp / "Mojis").string();
        config.VXESendDelay = 0;
        std::filesystem::create_directories(config.MojisDumpPath);
        ASSERT_TRUE(vx::CreateSystemMojis(config.MojisDumpPath, status));
    }
    MojiEditor& editor() { return session->moji(); }
    void sendTwice() {
        editor().sendToMain();  // the warning
        editor().sendToMain();
    }
    void buildTickedBox() {
        editor().checkStep(MojiEditor::CheckStep::StartTicked);
        editor().insertLabel("OK");
        editor().checkStep(MojiEditor::CheckStep::Finish);
    }
};

TEST_F(MojiEditorTest, ATickedBoxIsDrawnOnTheScreenOffline) {
    box.contents = "typed";
    buildTickedBox();
    EXPECT_EQ(box.contents, "");  // the steps empty The Box
    EXPECT_EQ(editor().codes(), "32;17;18;5;155;32;124;88;124;32;79;75;155;32;26;18;3;155;");
    EXPECT_TRUE(editor().edited());
    sendTwice();
    EXPECT_EQ(rowText(0).substr(0, 4), " \x11\x12\x05");
    EXPECT_EQ(rowText(1).substr(0, 7), " |X| OK");
    EXPECT_EQ(rowText(2).substr(0, 4), " \x1a\x12\x03");  // the bottom on the next line
    EXPECT_EQ(socket.sent, "");
}

TEST_F(MojiEditorTest, TheBoardReceivesExactlyTheCodesAtTheEditorsPace) {
    connectDirect(0);
    config.VXESendDelay = 20;
    buildTickedBox();
    editor().sendToMain();
    EXPECT_TRUE(editor().warningShown());
    EXPECT_EQ(socket.sent, "");  // the first press only warns
    editor().sendToMain();
    timeline.advance(100);
    EXPECT_EQ(socket.sent.size(), 6u);  // the first at once, then one every 20 ms
    timeline.advance(1000);
    EXPECT_EQ(socket.sent, "\x20\x11\x12\x05\x9b\x20\x7c\x58\x7c\x20\x4f\x4b\x9b\x20\x1a\x12\x03\x9b");
    EXPECT_EQ(socket.sent.substr(0, 5), std::string(" \x11\x12\x05") + kEol);
}

TEST_F(MojiEditorTest, TheDelayStopsAtOneSecondAndRefusesWords) {
    EXPECT_TRUE(editor().setDelayText("5000"));
    EXPECT_EQ(editor().delayMs(), 1000);
    EXPECT_FALSE(editor().setDelayText("fast"));
    EXPECT_EQ(editor().delayMs(), 1000);
}

TEST_F(MojiEditorTest, CodesOutOfRangeAreSkippedAndTold) {
    editor().setCodes("72;300;73");
    sendTwice();
    EXPECT_EQ(rowText(0).substr(0, 2), "HI");
    EXPECT_EQ(editor().lastSkipped(), 1);
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "1 codes skipped (not 0-255)");
}

TEST_F(MojiEditorTest, AMojiIsSavedLoadedAndDeletedWithItsQuestions) {
    editor().setCodes(vx::Cvt2ASCII("A"));
    prompter.textAnswers = {std::string("letter")};
    editor().save("");
    std::string bytes;
    ASSERT_TRUE(vx::readWholeFile(config.MojisDumpPath + "/letter", bytes));
    EXPECT_EQ(bytes, "\"65;\"\r\n");
    EXPECT_FALSE(editor().edited());
    EXPECT_EQ(editor().fileLabel(), "File:  letter");

    // Overwriting asks first; No leaves the file as it was.
    editor().setCodes("66;");
    prompter.textAnswers = {std::string("letter")};
    prompter.yesNoAnswers = {false};
    editor().save("letter");
    EXPECT_EQ(prompter.questions.back().text, "This file already exists... Are you sure you want to overwrite it?");
    ASSERT_TRUE(vx::readWholeFile(config.MojisDumpPath + "/letter", bytes));
    EXPECT_EQ(bytes, "\"65;\"\r\n");

    editor().clear();
    editor().load("letter");
    EXPECT_EQ(editor().codes(), "65;");
    EXPECT_FALSE(editor().edited());
    const auto names = editor().fileNames();
    EXPECT_EQ(names, (std::vector<std::string>{"_chX1", "_chX2", "_chX3", "letter"}));

    prompter.yesNoAnswers = {true};
    editor().deleteFile("letter");
    EXPECT_EQ(prompter.questions.back().text, "FILE:  letter\r\nAre you sure you want to delete it?");
    EXPECT_EQ(editor().fileNames().size(), 3u);
    // What cannot be removed (a folder with something in it) is told.
    std::filesystem::create_directories(config.MojisDumpPath + "/kept/inside");
    prompter.yesNoAnswers = {true};
    editor().deleteFile("kept");
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages.back().text.substr(0, 24), "Could not delete kept:\r\n");

    // Nothing to save: no question at all.
    const std::size_t asked = prompter.questions.size();
    editor().clear();
    editor().save("x");
    EXPECT_EQ(prompter.questions.size(), asked);
}

TEST_F(MojiEditorTest, TheOptionsAroundASend) {
    // Clear Main Screen before Send (offline), Clear After Send, and Create File in the capture folder.
    config.CaptureFolder = temp.path().string();
    for (char c : std::string("OLD")) screen.ScreenHandler(static_cast<std::uint8_t>(c));
    editor().clearScreenFirst = true;
    editor().clearAfterSend = true;
    editor().createFile = true;
    editor().setCodes("72;73;");
    prompter.textAnswers = {std::string("art.txt")};
    sendTwice();
    EXPECT_EQ(rowText(0).substr(0, 3), "HI\xa0");  // OLD is gone; the cursor stands after HI
    EXPECT_EQ(editor().codes(), "");
    EXPECT_FALSE(editor().edited());
    std::string bytes;
    ASSERT_TRUE(vx::readWholeFile((temp / "art.txt").string(), bytes));
    EXPECT_EQ(bytes, "HI");
    EXPECT_EQ(statusSink.panels["pnlSTAT"], "Updating: " + (temp / "art.txt").string());
}

TEST_F(MojiEditorTest, TheBoxTypingAndTheSignatureFeedAndReadTheCodes) {
    box.contents = "Hi";
    editor().boxToEditor();
    EXPECT_EQ(editor().codes(), "72;105;");

    editor().setEcho(true);
    EXPECT_EQ(editor().codes(), "");
    box.contents = "Hi!";
    editor().boxChanged();
    EXPECT_EQ(editor().codes(), "33;");

    std::string signature;
    editor().hooks().toSignature = [&](char c) { signature += c; };
    editor().setCodes("45;45;32;74;");
    editor().copyToSignature();
    EXPECT_EQ(signature, "-- J");

    // Offline typing on the screen is recorded too.
    editor().clearCodes();
    session->keyboard().characterKey('A');
    EXPECT_EQ(editor().codes(), "65;");
}

// An offline drawing is ended by what comes next: a new send draws after it, Clear Both stops
// it, a call coming up sends the rest to the board instead of drawing it over the board's screen.
TEST_F(MojiEditorTest, AnOfflineDrawingGivesWayToWhatComesNext) {
    struct Case {
        const char* what;
        std::function<void()> meanwhile;
        std::string row;   // the first cells of row 0 afterwards
        std::string sent;  // what the board received
    };
    const std::vector<Case> cases{
        {"a new send",
         [&] {
             editor().setCodes("120;121;122;");
             editor().sendToMain();
         },
         "ABCDEFxyz", ""},
        {"Clear Both", [&] { editor().clearScreenAndCodes(); }, "\xa0        ", ""},
        {"a call", [&] { connectDirect(0); }, "", "DEF"},
    };
    config.VXESendDelay = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        screen.ScreenHandler(vx::ScreenInterpreter::kClearScreen);
        editor().setCodes("65;66;67;68;69;70;");
        sendTwice();
        timeline.advance(250);
        EXPECT_EQ(rowText(0).substr(0, 3), "ABC");
        c.meanwhile();
        timeline.advance(2000);
        if (!c.row.empty()) {
            EXPECT_EQ(rowText(0).substr(0, c.row.size()), c.row);
        }
        EXPECT_EQ(socket.sent, c.sent);
        EXPECT_FALSE(editor().sending());
        editor().hideWarning();
    }
}

// The check-box steps make a missing system 'Moji again, and say so.
TEST_F(MojiEditorTest, AMissingSystemMojiIsMadeAgain) {
    using Step = MojiEditor::CheckStep;
    for (const auto& [step, file, codes] : {std::tuple{Step::StartTicked, "_chX1", "32;17;18;5;155;32;124;88;124;32;"},
                                            std::tuple{Step::StartEmpty, "_chX2", "32;17;18;5;155;32;124;32;124;32;"},
                                            std::tuple{Step::Finish, "_chX3", "155;32;26;18;3;155;"}}) {
        SCOPED_TRACE(file);
        editor().clear();
        std::filesystem::remove(std::filesystem::path(config.MojisDumpPath) / file);
        editor().checkStep(step);
        EXPECT_EQ(editor().codes(), codes);
        EXPECT_EQ(statusSink.panels["pnlSTAT"], std::string("System 'Moji ") + file + " was missing: made again");
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(config.MojisDumpPath) / file));
    }
}

// "1) Start" and "3) Finish" empty The Box; text in it that was never sent is only emptied when
// the user says so.
TEST_F(MojiEditorTest, TheStepsAskBeforeEmptyingUnsentText) {
    struct Case {
        const char* what;
        bool sendFirst;
        std::deque<bool> answers;
        std::size_t questions;
        std::string boxAfter;
    };
    connectDirect(0);
    for (const Case& c : {Case{"unsent, kept", false, {false}, 1, "reply"},
                          Case{"unsent, emptied", false, {true}, 1, ""}, Case{"sent", true, {}, 0, ""}}) {
        for (auto step : {MojiEditor::CheckStep::StartTicked, MojiEditor::CheckStep::Finish}) {
            SCOPED_TRACE(c.what);
            box.contents = "reply";
            if (c.sendFirst) session->box().send();
            prompter.questions.clear();
            prompter.yesNoAnswers = c.answers;
            editor().checkStep(step);
            ASSERT_EQ(prompter.questions.size(), c.questions);
            if (c.questions > 0) {
                EXPECT_EQ(prompter.questions.back().text, "The Box holds text that was not sent.\r\nEmpty The Box?");
            }
            EXPECT_EQ(box.contents, c.boxAfter);
        }
    }
}

// Clear and Clear Both change the codes as much as typing does.
TEST_F(MojiEditorTest, ClearingTheCodesIsAnEdit) {
    for (auto clear : {&MojiEditor::clear, &MojiEditor::clearScreenAndCodes}) {
        editor().load("_chX1");
        EXPECT_FALSE(editor().edited());
        (editor().*clear)();
        EXPECT_TRUE(editor().edited());
    }
}

}  // namespace
