#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/SessionFixture.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

constexpr char kEot = 4, kAck = 6, kCan = 24;

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A call to the demo board with an XMODEM-CRC download under way; the test is the sender.
class FileTransfersTest : public SessionFixture {
protected:
    fs::path downloads() const { return fs::path(config.DownloadsPath); }
    FileTransfers& transfers() { return session->transfers(); }

    void startDownload(const std::string& name = "GAME.XEX") {
        connectDirect(0);
        socket.receive("READY");
        socket.sent.clear();
        ASSERT_TRUE(transfers().startDownload(TransferProtocol::XmodemCrc, name));
        ASSERT_EQ(socket.sent, "C");
        socket.sent.clear();
    }
    std::vector<std::string> filesInDownloads() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(downloads())) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// The blocks land in the downloads folder, never on the screen; keys typed meanwhile (Ctrl-C
// too) are dropped without a trace, and the line is given back afterwards.
TEST_F(FileTransfersTest, ADownloadGoesToTheFolderAndNotToTheScreen) {
    startDownload();
    const std::string screenBefore = rowText(1);
    const std::string data(200, '\x9b');
    socket.receive(frameBlock(1, data.substr(0, 128), true));
    EXPECT_EQ(socket.sent, std::string(1, kAck));
    session->keyboard().characterKey('x');
    session->keyboard().characterKey(3);  // Ctrl-C: would throw away the board's next screen
    EXPECT_EQ(socket.sent, std::string(1, kAck));
    EXPECT_EQ(transfers().state().progress.bytesDone, 128);
    socket.receive(frameBlock(2, data.substr(128), true));
    socket.receive(std::string(2, kEot));
    EXPECT_FALSE(transfers().active());
    EXPECT_TRUE(transfers().state().ok) << transfers().state().message;
    EXPECT_EQ(filesInDownloads(), std::vector<std::string>{"GAME.XEX"});
    EXPECT_EQ(fileText(downloads() / "GAME.XEX"), data);
    EXPECT_EQ(rowText(1), screenBefore);
    EXPECT_NE(logText().find("Download: Received 1 file into "), std::string::npos);

    socket.sent.clear();
    socket.receive("MENU");
    EXPECT_EQ(rowText(1).substr(0, 9), "READYMENU");
    session->keyboard().characterKey('x');
    EXPECT_EQ(socket.sent, "x");
}

TEST_F(FileTransfersTest, CancelAndAnEndedCallLeaveNoFileBehind) {
    for (const bool hangUp : {false, true}) {
        SCOPED_TRACE(hangUp ? "hang-up" : "cancel");
        startDownload();
        socket.receive(frameBlock(1, std::string(128, 'A'), true));
        if (hangUp) {
            socket.remoteClose();
            EXPECT_EQ(transfers().state().message, "The call ended before the transfer was done.");
        } else {
            transfers().cancel();
            EXPECT_NE(socket.sent.find(std::string(5, kCan)), std::string::npos);
            EXPECT_EQ(transfers().state().message, "Cancelled");
        }
        EXPECT_FALSE(transfers().state().ok);
        EXPECT_TRUE(filesInDownloads().empty());
        timeline.advance(1);
        if (!hangUp) connection().disconnectButton();
    }
}

// A file of the same name is never replaced without asking; each answer keeps what it says.
TEST_F(FileTransfersTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    const struct {
        Prompter::Answer answer;
        std::vector<std::string> files;
        std::string kept;  // in GAME.XEX afterwards
    } rows[] = {
        {Prompter::Answer::Yes, {"GAME.XEX"}, "new"},
        {Prompter::Answer::No, {"GAME (2).XEX", "GAME.XEX"}, "old"},
        {Prompter::Answer::Cancel, {"GAME.XEX"}, "old"},
    };
    fs::create_directories(downloads());
    for (const auto& row : rows) {
        for (const auto& entry : fs::directory_iterator(downloads())) fs::remove(entry.path());
        std::ofstream(downloads() / "GAME.XEX", std::ios::binary) << "old";
        prompter.yesNoCancelAnswers.push_back(row.answer);
        startDownload();
        socket.receive(frameBlock(1, "new", true));
        socket.receive(std::string(2, kEot));
        ASSERT_EQ(prompter.questions.size(), 1u);
        EXPECT_NE(prompter.questions.back().text.find("GAME.XEX is in the downloads folder already."),
                  std::string::npos);
        prompter.questions.clear();
        EXPECT_EQ(filesInDownloads(), row.files);
        EXPECT_EQ(fileText(downloads() / "GAME.XEX"), row.kept);
        connection().disconnectButton();
        timeline.advance(1);
    }
}

// A batch that fails later still settles the files it finished: the question is asked and no
// .part stays beside the file that was there.
TEST_F(FileTransfersTest, FilesFinishedBeforeABatchFailsAreSettled) {
    fs::create_directories(downloads());
    std::ofstream(downloads() / "A.TXT", std::ios::binary) << "old";
    prompter.yesNoCancelAnswers.push_back(Prompter::Answer::Yes);
    const auto header = [](std::string nameAndSize) {
        nameAndSize.resize(128, '\0');
        return frameBlock(0, nameAndSize, true);
    };
    connectDirect(0);
    ASSERT_TRUE(transfers().startDownload(TransferProtocol::Ymodem, ""));
    socket.receive(header(std::string("A.TXT") + '\0' + "3") + frameBlock(1, "new", true));
    socket.receive(std::string(2, kEot));
    socket.receive(header(std::string("B.TXT") + '\0' + "900") + kCan + kCan);
    EXPECT_EQ(transfers().state().message, "Cancelled by the sender");
    EXPECT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(filesInDownloads(), std::vector<std::string>{"A.TXT"});
    EXPECT_EQ(fileText(downloads() / "A.TXT"), "new");
}

// What the board sends right behind the last ACK of an upload is its next screen.
TEST_F(FileTransfersTest, TextBehindTheLastAckOfAnUploadIsDrawn) {
    connectDirect(0);
    socket.receive("READY");
    std::ofstream(temp / "UP.TXT", std::ios::binary) << "hello";
    ASSERT_TRUE(transfers().startUpload(TransferProtocol::XmodemCrc, {(temp / "UP.TXT").string()}));
    socket.receive("C" + std::string(1, kAck));
    socket.receive(std::string(1, kAck) + "THANKS");
    EXPECT_TRUE(transfers().state().ok) << transfers().state().message;
    EXPECT_EQ(rowText(1).substr(0, 11), "READYTHANKS");
}

TEST_F(FileTransfersTest, NothingStartsWithoutACallOrWhileOneRuns) {
    EXPECT_FALSE(transfers().startDownload(TransferProtocol::Xmodem, "A"));
    EXPECT_EQ(prompter.messages.back().text, "Connect to a board first: files go over the call.");
    startDownload();
    EXPECT_FALSE(transfers().startUpload(TransferProtocol::Xmodem, {log.path()}));
    EXPECT_EQ(prompter.messages.back().text, "A file transfer is running already.");
    EXPECT_TRUE(transfers().active());
}

// While a transfer owns the line every send is refused with a word, and what the user wrote
// stays where it was.
TEST_F(FileTransfersTest, SendsDuringATransferAreRefusedAndTheTextKept) {
    ASSERT_TRUE(bbsList.LoadBBSRecord("1"));
    bbsList.record().macros[0].text = "HELLO";
    ASSERT_TRUE(bbsList.SaveBBSRecord("1", bbsList.record(), false));
    startDownload();
    box.contents = "reply";
    clipboard.contents = "pasted";
    session->moji().setCodes("65;66;");
    session->moji().clearAfterSend = true;
    session->moji().sendToMain();  // the first press only warns
    const std::pair<const char*, std::function<void()>> senders[] = {
        {"Send", [&] { session->box().send(); }},         {"Send/Clear", [&] { session->box().sendAndClear(); }},
        {"macro", [&] { session->macroButton(0); }},      {"paste", [&] { session->box().pasteToScreen(); }},
        {"'Moji", [&] { session->moji().sendToMain(); }},
    };
    for (const auto& [what, press] : senders) {
        SCOPED_TRACE(what);
        prompter.messages.clear();
        press();
        timeline.advance(200);
        EXPECT_EQ(socket.sent, "");
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(prompter.messages.back().text, "A file transfer is running: nothing was sent.");
    }
    EXPECT_EQ(box.contents, "reply");              // Send/Clear left it
    EXPECT_EQ(session->moji().codes(), "65;66;");  // and so did Clear After Send
}

// The board's ZMODEM start (ZRQINIT) opens a download by itself wherever the reads split it:
// what came before it is drawn, nothing of it is, and the engine answers with ZRINIT. Switched
// off, or when the held beginning turns out to be text, the board's bytes are drawn.
TEST_F(FileTransfersTest, TheBoardsZmodemStartBeginsADownload) {
    const std::string start = std::string(
        "**\x18"
        "B00000000000000\r\x8a\x11");
    const struct {
        bool autoStart;
        std::string first, second;
        bool started;
        std::string shown;  // the start of row 1 afterwards
    } rows[] = {
        {true, "HELLO" + start, "", true, "HELLO\xa0"},
        {true, "HELLO*", start.substr(1), true, "HELLO\xa0"},
        {true, "HELLO**\x18", start.substr(3), true, "HELLO\xa0"},
        {true, "HELLOrz", "\r" + start, true, "HELLO\xa0"},  // sz's "rz\r" before the start
        {true, "HELLO" + start.substr(0, 5), start.substr(5), true, "HELLO\xa0"},
        {true, "PASS*", "", false, "PASS*\xa0"},  // a password's echo: drawn a moment later
        {false, "HELLO" + start, "", false, "HELLO**"},
        // A board's rz waiting for an upload: its ZRINIT headers are not drawn either.
        {true,
         "HELLO**\x18"
         "B0100000023be50\r\x8a\x11",
         "MENU", false, "HELLOMENU\xa0"},
        {true,
         "HELLO**\x18"
         "B0100",
         "000023be50\r\x8a\x11MENU", false, "HELLOMENU\xa0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        config.ZmodemAutoStart = row.autoStart;
        connectDirect(0);
        socket.sent.clear();
        socket.receive(row.first);
        if (!row.second.empty()) socket.receive(row.second);
        timeline.advance(200);
        EXPECT_EQ(transfers().active(), row.started);
        EXPECT_EQ(rowText(1).substr(0, row.shown.size()), row.shown);
        if (row.started) {
            EXPECT_EQ(transfers().state().protocol, TransferProtocol::Zmodem);
            EXPECT_EQ(socket.sent.substr(0, 6),
                      "**\x18"
                      "B01");  // ZRINIT
            transfers().cancel();
            timeline.advance(1);
        }
        connection().disconnectButton();
    }
}

}  // namespace
}  // namespace vx::test
