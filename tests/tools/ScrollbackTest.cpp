#include <gtest/gtest.h>

#include <algorithm>

#include "config/ConfigSettings.h"
#include "log/StatusReporter.h"
#include "log/SystemLog.h"
#include "support/FakeTimeline.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "tools/Scrollback.h"

namespace {

using vx::Scrollback;

constexpr char kEol = static_cast<char>(155);

// Characters that tell their place in the chunk: 1..250 repeating, never 0 (the ring's filler).
std::string numbered(std::size_t length, int offset = 0) {
    std::string text(length, '\0');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>(1 + (i + offset) % 250);
    return text;
}

class ScrollbackTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::test::FakeTimeline timeline;
    vx::test::FakeStatusSink sink;
    vx::SystemLog log{timeline, temp.path().string()};
    vx::StatusReporter status{sink, log};
    vx::ConfigSettings config;
    vx::test::FakeBox box;
    std::string screen;
    int finished = 0;
    Scrollback ring{config, timeline, status, [this](std::uint8_t b) { screen += static_cast<char>(b); }, box};

    void SetUp() override {
        ring.setOnReplayFinished([this] { ++finished; });
    }
    std::string_view positions(int first, int last) const {
        return ring.ring().substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
    }
};

TEST_F(ScrollbackTest, TheFirstWriteTreatsPositionZeroAsOne) {
    EXPECT_EQ(ring.position(), 0);
    ring.WriteScrollback("ABC");
    EXPECT_EQ(positions(1, 3), "ABC");
    EXPECT_EQ(ring.position(), 4);
    EXPECT_EQ(ring.positionBeforeWrite(), 0);
    EXPECT_EQ(ring.positionAfterWrite(), 4);
}

TEST_F(ScrollbackTest, AFullLapEndsAtPosition2048AndTheNextChunkWraps) {
    const std::string first = numbered(2047);
    ring.WriteScrollback(first);
    EXPECT_EQ(ring.position(), 2048);
    ring.WriteScrollback("VWXYZ");
    EXPECT_EQ(positions(1, 5), "VWXYZ");
    EXPECT_EQ(positions(6, 2047), std::string_view(first).substr(5));
    EXPECT_EQ(ring.ring()[2047], '\0');  // 2048 is not written in normal operation
    EXPECT_EQ(ring.position(), 6);
}

TEST_F(ScrollbackTest, AChunkLongerThanTheRoomWrapsOnce) {
    const std::string chunk = numbered(3000);
    ring.WriteScrollback(chunk);
    EXPECT_EQ(positions(1, 953), std::string_view(chunk).substr(2047));
    EXPECT_EQ(positions(954, 2047), std::string_view(chunk).substr(953, 2047 - 953));
    EXPECT_EQ(ring.ring()[2047], '\0');
    EXPECT_EQ(ring.position(), 954);
}

TEST_F(ScrollbackTest, AChunkLongerThanTheWholeRingKeepsItsNewestCharacters) {
    const std::string chunk = numbered(5000);
    ring.WriteScrollback(chunk);
    EXPECT_EQ(positions(1, 2047), std::string_view(chunk).substr(5000 - 2047));
    EXPECT_EQ(ring.position(), 2048);
}

struct Lap {
    const char* name;
    std::vector<std::size_t> chunks;
    int position;
};
void PrintTo(const Lap& c, std::ostream* out) { *out << c.name; }

class RingPositions : public ::testing::TestWithParam<Lap> {};

TEST_P(RingPositions, AfterTheChunks) {
    vx::test::FakeTimeline timeline;
    vx::test::FakeStatusSink sink;
    vx::test::TempDir temp;
    vx::SystemLog log{timeline, temp.path().string()};
    vx::StatusReporter status{sink, log};
    vx::ConfigSettings config;
    vx::test::FakeBox box;
    Scrollback ring{config, timeline, status, [](std::uint8_t) {}, box};
    std::string received;
    for (std::size_t length : GetParam().chunks) {
        const std::string chunk = numbered(length, static_cast<int>(received.size()) * 7 % 250);
        ring.WriteScrollback(chunk);
        received += chunk;
    }
    EXPECT_EQ(ring.position(), GetParam().position);
    // Whatever the chunks, the ring ends with the last 2047 characters received.
    const std::size_t kept = std::min<std::size_t>(received.size(), 2047);
    EXPECT_EQ(ring.orderedView().substr(2047 - kept, kept), received.substr(received.size() - kept));
}

INSTANTIATE_TEST_SUITE_P(Chunks, RingPositions,
                         ::testing::Values(Lap{"EmptyFirstChunk", {0}, 1},
                                           Lap{"UpTo2047FromTheMiddle", {99, 1948}, 2048},
                                           Lap{"EmptyChunkAt2048", {2047, 0}, 2048}, Lap{"OneAt2048", {2047, 1}, 2},
                                           Lap{"ExactlyTwoRingsLessOne", {4095}, 2048}, Lap{"TwoRings", {4096}, 2048},
                                           Lap{"EndsOn2048AfterAWrap", {4094}, 2048},
                                           Lap{"WrapFromTheMiddle", {1000, 1100}, 54},
                                           Lap{"ManySmall", {700, 700, 700, 700}, 754}, Lap{"Huge", {100000}, 2048},
                                           Lap{"HugeFromTheMiddle", {1000, 262144}, 2048},
                                           Lap{"HugeThenSmall", {262144, 10}, 11}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScrollbackTest, TheOrderedViewEndsWithTheNextCharacterToBeOverwritten) {
    ring.WriteScrollback(numbered(2047));
    ring.WriteScrollback("VWXYZ");
    const std::string view = ring.orderedView();
    ASSERT_EQ(view.size(), 2048u);
    EXPECT_EQ(view.substr(2042, 5), "VWXYZ");  // characters 2043..2047: the newest
    EXPECT_EQ(view[2047], ring.ring()[5]);     // position 6, not shown by replays
    EXPECT_EQ(view.substr(0, 2041), numbered(2047).substr(5, 2041));
}

TEST_F(ScrollbackTest, TheDebugFieldKeepsTheTextSinceTheLastWrap) {
    ring.WriteScrollback("AAA");
    ring.WriteScrollback(numbered(2044));
    EXPECT_EQ(ring.textSinceWrap().size(), 2047u);
    ring.WriteScrollback("XY");
    EXPECT_EQ(ring.positionBeforeWrite(), 2048);
    EXPECT_EQ(ring.positionAfterWrite(), 3);
    EXPECT_EQ(ring.textSinceWrap(), "XY");
    ring.WriteScrollback(numbered(4095));
    EXPECT_EQ(ring.position(), 2048);
    // A chunk longer than the ring ends on position 2048 again; that is a new lap too.
    ring.WriteScrollback(numbered(4095, 7));
    EXPECT_EQ(ring.position(), 2048);
    EXPECT_EQ(ring.textSinceWrap(), numbered(4095, 7));
}

class ScrollbackReplay : public ScrollbackTest {
protected:
    std::string history;  // what the replays show, oldest first
    void SetUp() override {
        ScrollbackTest::SetUp();
        history = numbered(3000);
        history[2990] = kEol;
        ring.WriteScrollback(history);
    }
    // The last `count` characters received.
    std::string newest(std::size_t count) const { return history.substr(history.size() - count); }
};

TEST_F(ScrollbackReplay, NothingHappensBeforeAnythingWasReceived) {
    Scrollback unused{config, timeline, status, [this](std::uint8_t b) { screen += static_cast<char>(b); }, box};
    EXPECT_FALSE(unused.viewScrollback(500));
    EXPECT_FALSE(unused.scrollbackToBox(500));
    timeline.advance(100);
    EXPECT_EQ(screen, "");
    EXPECT_TRUE(sink.history.empty());
    EXPECT_EQ(finished, 0);
}

TEST_F(ScrollbackTest, BeforeTheRingFillsAReplayShowsWhatWasReceived) {
    ring.WriteScrollback("HELLO");
    ring.WriteScrollback(std::string("WORLD") + kEol);
    ASSERT_TRUE(ring.viewScrollback(500));
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "\x7d" "HELLOWORLD" + std::string(1, kEol));  // no filler from the empty ring
    ASSERT_TRUE(ring.scrollbackToBox(3));
    EXPECT_EQ(box.contents, "LD ");
}

TEST_F(ScrollbackReplay, ScreenReplayClearsThenShowsOneCharacterPerMillisecond) {
    int changes = 0;
    ring.setOnChanged([&] { ++changes; });
    ASSERT_TRUE(ring.viewScrollback(5));
    EXPECT_TRUE(ring.replaying());
    EXPECT_FALSE(ring.toBoxMode());
    EXPECT_EQ(sink.panels["pnlSTAT"], "Viewing...");
    EXPECT_EQ(screen, "\x7d");
    timeline.advance(0);
    EXPECT_EQ(screen.size(), 2u);
    timeline.advance(1);
    EXPECT_EQ(screen.size(), 3u);
    timeline.advance(10);
    // Index 2043..2047 of the view: the four newest and the one before them; the newest received
    // character sits at 2047 and is shown, position p is not.
    EXPECT_EQ(screen, "\x7d" + newest(5));
    EXPECT_FALSE(ring.replaying());
    EXPECT_EQ(sink.panels["pnlSTAT"], "");
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(changes, 2);
}

TEST_F(ScrollbackReplay, ACountOf2048ShowsTheWholeViewButItsLastCharacter) {
    ASSERT_TRUE(ring.viewScrollback(2048));
    EXPECT_EQ(timeline.runUntilIdle(), 2046);
    EXPECT_EQ(screen, "\x7d" + ring.orderedView().substr(0, 2047));
    EXPECT_EQ(screen.substr(1), newest(2047));
}

struct StartCase {
    int count;
    int start;
};
class ReplayStart : public ::testing::TestWithParam<StartCase> {};
TEST_P(ReplayStart, FromTheCount) { EXPECT_EQ(Scrollback::replayStart(GetParam().count), GetParam().start); }
INSTANTIATE_TEST_SUITE_P(Counts, ReplayStart,
                         ::testing::Values(StartCase{2048, 1}, StartCase{2047, 1}, StartCase{2049, 1},
                                           StartCase{500, 1548}, StartCase{1, 2047}, StartCase{0, 2048},
                                           StartCase{-5, 2048}, StartCase{-2147483647 - 1, 2048}));

TEST_F(ScrollbackReplay, ACountOfZeroOnlyClears) {
    ASSERT_TRUE(ring.viewScrollback(0));
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "\x7d");
    EXPECT_EQ(finished, 1);
}

TEST_F(ScrollbackReplay, PauseHoldsThePlaceAndResumeGoesOn) {
    ASSERT_TRUE(ring.viewScrollback(10));
    timeline.advance(2);
    ring.togglePause();
    EXPECT_TRUE(ring.paused());
    EXPECT_STREQ(ring.pauseCaption(), "Resume");
    EXPECT_EQ(sink.panels["pnlSTAT"], "Paused...");
    const std::size_t shown = screen.size();
    timeline.advance(500);
    EXPECT_EQ(screen.size(), shown);
    EXPECT_FALSE(ring.viewScrollback(10));  // one replay at a time
    ring.togglePause();
    EXPECT_STREQ(ring.pauseCaption(), "Pause");
    EXPECT_EQ(sink.panels["pnlSTAT"], "Viewing...");
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "\x7d" + newest(10));
}

TEST_F(ScrollbackReplay, AbortStopsTheReplayEvenWhilePaused) {
    ASSERT_TRUE(ring.viewScrollback(100));
    timeline.advance(3);
    ring.abort();
    timeline.advance(100);
    EXPECT_EQ(screen, "\x7d" + newest(100).substr(0, 4));
    EXPECT_FALSE(ring.replaying());
    EXPECT_EQ(finished, 1);

    ASSERT_TRUE(ring.viewScrollback(100));
    ring.togglePause();
    ring.abort();
    timeline.advance(0);
    EXPECT_FALSE(ring.replaying());
    EXPECT_FALSE(ring.paused());
    EXPECT_EQ(sink.panels["pnlSTAT"], "");
    EXPECT_EQ(finished, 2);
}

TEST_F(ScrollbackReplay, DataArrivingMeanwhileDoesNotChangeWhatIsReplayed) {
    ASSERT_TRUE(ring.viewScrollback(20));
    timeline.advance(5);
    ring.WriteScrollback("NEW DATA");
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "\x7d" + newest(20));
}

TEST_F(ScrollbackReplay, ToTheBoxEndOfLineBecomesABlankAndAllElseIsKept) {
    config.Scroll2BoxClrBox = true;
    box.contents = "draft";
    std::string special = {'\0', '\r', '\n', '\x7d', '\xff', kEol, 'a'};
    ring.WriteScrollback(special);
    history += special;
    ASSERT_TRUE(ring.scrollbackToBox(30));
    std::string expected = newest(30);
    std::replace(expected.begin(), expected.end(), kEol, ' ');
    EXPECT_EQ(box.contents, expected);
    EXPECT_EQ(expected.substr(23), std::string({'\0', '\r', '\n', '\x7d', '\xff', ' ', 'a'}));
    EXPECT_EQ(screen, "");  // The Box replay does not clear the screen
    EXPECT_FALSE(ring.replaying());
    EXPECT_FALSE(ring.toBoxMode());
    EXPECT_EQ(sink.history, (std::vector<std::string>{"pnlSTAT=Viewing...", "pnlSTAT="}));
    EXPECT_EQ(finished, 1);
}

TEST_F(ScrollbackReplay, WithoutClearBoxTheTextIsAppended) {
    config.Scroll2BoxClrBox = false;
    box.contents = "draft ";
    ASSERT_TRUE(ring.scrollbackToBox(3));
    EXPECT_EQ(box.contents, "draft " + newest(3));
}

struct CountBox {
    std::string typed;
    std::string shown;
};
class CountBoxRule : public ::testing::TestWithParam<CountBox> {};
TEST_P(CountBoxRule, CorrectsTheText) {
    EXPECT_EQ(vx::correctScrollbackCount(GetParam().typed, 500), GetParam().shown);
}
INSTANTIATE_TEST_SUITE_P(Texts, CountBoxRule,
                         ::testing::Values(CountBox{"abc", "500"}, CountBox{"", "500"}, CountBox{"12x", "500"},
                                           CountBox{"3000", "2048"}, CountBox{"2049", "2048"}, CountBox{"2048", "2048"},
                                           CountBox{" 100 ", " 100 "}, CountBox{"-5", "-5"}, CountBox{"0", "0"},
                                           CountBox{"2048.7", "2048"}));

}  // namespace
