// Capture, scrollback and URL detection as the receive path feeds them, and their replays
// drawing through the interpreter.
#include "support/SessionFixture.h"

using vx::test::SessionFixture;

namespace {

constexpr char kEol = static_cast<char>(155);

class SessionToolsTest : public SessionFixture {
protected:
    std::string captured() {
        std::string bytes;
        readWholeFileInto(session->capture().path(), bytes);
        return bytes;
    }
    std::string scrollbackTail(std::size_t n) const {
        const std::string view = session->scrollback().orderedView();
        return view.substr(view.size() - 1 - n, n);  // the last character is the next to be overwritten
    }
};

TEST_F(SessionToolsTest, EveryChunkReachesCaptureScrollbackScreenAndUrls) {
    session->capture().toggleCapture();
    ASSERT_TRUE(session->capture().captureOn());
    connectDirect(0);
    socket.receive("see http://example.com/atari");
    socket.receive(std::string(1, kEol));

    EXPECT_EQ(captured(), "\"see http://example.com/atari\"\r\n\"" + std::string(1, kEol) + "\"\r\n");
    EXPECT_EQ(scrollbackTail(29), "see http://example.com/atari" + std::string(1, kEol));
    EXPECT_EQ(rowText(1).substr(0, 28), "see http://example.com/atari");
    EXPECT_EQ(session->urls().url(0), "http://example.com/atari");
}

TEST_F(SessionToolsTest, SwitchedOffToolsSeeNothing) {
    config.ScrollBack = false;
    config.DetectURLs = false;
    connectDirect(0);
    socket.receive("www.example.net/files ");
    EXPECT_EQ(session->scrollback().position(), 0);
    EXPECT_TRUE(session->urls().url(0).empty());
    EXPECT_FALSE(std::filesystem::exists(session->capture().path()));
    EXPECT_EQ(rowText(1).substr(0, 21), "www.example.net/files");
}

TEST_F(SessionToolsTest, WithBaudSimTheChunkIsRecordedAtOnceAndUrlsFoundAsDrawn) {
    session->capture().toggleCapture();
    connectTo(0);
    ASSERT_TRUE(session->baudSim().active());
    socket.receive("www.example.net/files ");
    EXPECT_EQ(captured(), "\"www.example.net/files \"\r\n");
    EXPECT_EQ(scrollbackTail(22), "www.example.net/files ");
    EXPECT_TRUE(session->urls().url(0).empty());
    timeline.runUntilIdle(60000);
    EXPECT_EQ(session->urls().url(0), "http://www.example.net/files");
    EXPECT_EQ(rowText(1).substr(0, 21), "www.example.net/files");
}

TEST_F(SessionToolsTest, CtrlCDiscardsTheDrawingButNotTheRecord) {
    session->capture().toggleCapture();
    connectDirect(0);
    session->keyboard().characterKey(3);
    ASSERT_TRUE(session->abortFlag());
    socket.receive("skipped https://x.org ");
    EXPECT_EQ(captured(), "\"skipped https://x.org \"\r\n");
    EXPECT_TRUE(session->urls().url(0).empty());
    EXPECT_EQ(screen.state().CursorY, 1);
    EXPECT_EQ(screen.state().CursorX, 0);
    EXPECT_EQ(rowText(1).substr(1), std::string(39, ' '));
}

TEST_F(SessionToolsTest, TheCaptureViewerRedrawsTheSessionAndFindsItsUrls) {
    session->capture().toggleCapture();
    connectDirect(0);
    socket.receive(std::string(1, '\x7d') + "Board https://www.example.org/bbs-list ");
    session->capture().toggleCapture();
    session->urls().clearUrls();
    screen.SendToScreen(std::string(1, '\x7d') + "other");

    ASSERT_TRUE(session->capture().ViewCaptureFile(false, 0));
    timeline.runUntilIdle(600000);
    EXPECT_FALSE(session->capture().viewerActive());
    EXPECT_EQ(rowText(0).substr(0, 38), "Board https://www.example.org/bbs-list");
    EXPECT_EQ(session->urls().url(0), "https://www.example.org/bbs-list");
}

TEST_F(SessionToolsTest, ScrollbackReplayShowsTheLastCharactersOnTheScreen) {
    connectDirect(0);
    socket.receive(std::string(2100, 'a'));
    socket.receive("THE END");
    screen.SendToScreen(std::string(1, '\x7d'));
    ASSERT_TRUE(session->scrollback().viewScrollback(7));
    timeline.runUntilIdle(600000);
    EXPECT_FALSE(session->scrollback().replaying());
    EXPECT_EQ(rowText(0).substr(0, 7), "THE END");
    EXPECT_EQ(screen.state().CursorX, 7);
}

TEST_F(SessionToolsTest, EarlyInASessionTheScrollbackHoldsWhatArrived) {
    connectDirect(0);
    socket.receive("FIRST PAGE");
    ASSERT_TRUE(session->scrollback().scrollbackToBox(100));
    EXPECT_EQ(box.contents, "FIRST PAGE");
}

}  // namespace
