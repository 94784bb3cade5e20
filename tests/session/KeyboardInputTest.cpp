#include "support/SessionFixture.h"

using vx::KeyCode;
using vx::test::SessionFixture;

namespace {

class KeyboardTest : public SessionFixture {
protected:
    vx::test::FakeMojiSink moji;
    bool dummyAbort = false;
    void SetUp() override {
        SessionFixture::SetUp();
        session->keyboard().setMojiSink(&moji);
        config.ConnectMsg.clear();
    }
    vx::KeyboardInput& keys() { return session->keyboard(); }
};

struct KeyCase {
    int key;
    int sent;
};

class KeyMapping : public KeyboardTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyMapping, SendsTheAtasciiCodeWhileConnected) {
    connectDirect(0);
    keys().characterKey(static_cast<std::uint8_t>(GetParam().key));
    ASSERT_EQ(socket.sent.size(), 1u);
    EXPECT_EQ(static_cast<std::uint8_t>(socket.sent[0]), GetParam().sent);
    EXPECT_TRUE(moji.codes.empty());
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyMapping,
                         ::testing::Values(KeyCase{13, 155}, KeyCase{8, 126}, KeyCase{1, 1}, KeyCase{26, 26},
                                           KeyCase{27, 27}, KeyCase{'A', 'A'}, KeyCase{127, 127}, KeyCase{200, 200},
                                           KeyCase{0, 0}));

// With inverse typing on, characters go out inverse; the editing keys keep their meaning.
class InverseKeyMapping : public KeyboardTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(InverseKeyMapping, OnlyCharactersTurnInverse) {
    keys().setInverseTyping(true);
    connectDirect(0);
    keys().characterKey(static_cast<std::uint8_t>(GetParam().key));
    ASSERT_EQ(socket.sent.size(), 1u);
    EXPECT_EQ(static_cast<std::uint8_t>(socket.sent[0]), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(Keys, InverseKeyMapping,
                         ::testing::Values(KeyCase{'A', 193}, KeyCase{' ', 160}, KeyCase{1, 129}, KeyCase{26, 154},
                                           KeyCase{8, 126}, KeyCase{27, 27}, KeyCase{9, 9}, KeyCase{13, 155},
                                           KeyCase{28, 28}, KeyCase{29, 29}, KeyCase{30, 30}, KeyCase{31, 31},
                                           KeyCase{126, 126}, KeyCase{127, 127}, KeyCase{200, 200}));

TEST_F(KeyboardTest, OfflineKeysAreDrawnAndRecordedForTheEditor) {
    keys().characterKey('H');
    keys().characterKey('I');
    keys().characterKey(13);
    EXPECT_EQ(rowText(0).substr(0, 2), "HI");
    EXPECT_EQ(screen.state().CursorY, 1);
    EXPECT_EQ(moji.codes, "72;73;155;");
    EXPECT_TRUE(socket.sent.empty());
}

TEST_F(KeyboardTest, InverseTypingAddsOneHundredTwentyEight) {
    keys().specialKey(KeyCode::End, false, false, false);
    EXPECT_TRUE(keys().inverseTyping());
    connectDirect(0);
    keys().characterKey('A');
    keys().characterKey(200);  // already inverse: unchanged
    keys().characterKey(13);   // 155 stays 155
    EXPECT_EQ(socket.sent, "\xC1\xC8\x9B");
    keys().specialKey(KeyCode::End, false, false, false);
    keys().characterKey('A');
    EXPECT_EQ(socket.sent.back(), 'A');
}

TEST_F(KeyboardTest, EditingKeysOfflineOnly) {
    keys().characterKey('A');
    EXPECT_TRUE(keys().specialKey(KeyCode::Left, false, false, false));
    EXPECT_TRUE(keys().specialKey(KeyCode::Up, false, false, false));
    EXPECT_TRUE(keys().specialKey(KeyCode::Down, false, false, false));
    EXPECT_TRUE(keys().specialKey(KeyCode::Right, false, false, false));
    EXPECT_EQ(moji.codes, "65;30;28;29;31;");
    // Without Ctrl, Delete and Insert are taken (so the window never types them as characters:
    // 127 would be the ATASCII tab) and do nothing.
    EXPECT_TRUE(keys().specialKey(KeyCode::Delete, false, false, false));
    EXPECT_TRUE(keys().specialKey(KeyCode::Insert, false, false, false));
    EXPECT_EQ(moji.codes, "65;30;28;29;31;");
    keys().specialKey(KeyCode::Left, false, false, false);
    EXPECT_TRUE(keys().specialKey(KeyCode::Delete, false, true, false));
    EXPECT_EQ(rowText(0)[0], static_cast<char>(160));  // 'A' deleted; the cursor shows on the blank
    EXPECT_TRUE(keys().specialKey(KeyCode::Insert, false, true, false));
    EXPECT_EQ(moji.codes, "65;30;28;29;31;30;254;255;");

    connectDirect(0);
    moji.codes.clear();
    for (KeyCode key : {KeyCode::Up, KeyCode::Delete, KeyCode::Insert}) {
        EXPECT_TRUE(keys().specialKey(key, false, false, false));
        EXPECT_TRUE(keys().specialKey(key, false, true, false));
    }
    EXPECT_TRUE(socket.sent.empty());
    EXPECT_TRUE(moji.codes.empty());
}

TEST_F(KeyboardTest, CtrlCSetsTheAbortFlagOnlyWhenConnected) {
    keys().characterKey(3);
    EXPECT_FALSE(session->abortFlag());
    connectDirect(0);
    keys().characterKey(3);
    EXPECT_TRUE(session->abortFlag());
    EXPECT_EQ(socket.sent, "\x03");
}

TEST_F(KeyboardTest, KeysTypedDuringTheDelayWaitAndGoOutInOrderOnePerDelay) {
    config.KeyPressDelay = true;
    config.KeyDelayValue = 65;
    connectDirect(0);
    for (char key : std::string("abc\x03" "d")) keys().characterKey(static_cast<std::uint8_t>(key));
    EXPECT_EQ(socket.sent, "a");
    EXPECT_TRUE(keys().busy());
    EXPECT_EQ(keys().pendingKeys(), 4u);
    timeline.advance(64);
    EXPECT_EQ(socket.sent, "a");
    timeline.advance(1);
    EXPECT_EQ(socket.sent, "ab");
    timeline.advance(65);
    EXPECT_EQ(socket.sent, "abc");
    EXPECT_FALSE(session->abortFlag());
    timeline.advance(65);
    EXPECT_EQ(socket.sent, "abc\x03");
    EXPECT_TRUE(session->abortFlag());  // Ctrl-C acts when it goes out, not when it was typed
    timeline.advance(65);
    EXPECT_EQ(socket.sent, "abc\x03" "d");
    timeline.advance(65);
    EXPECT_FALSE(keys().busy());
    keys().characterKey('e');  // after the delay a key goes at once
    EXPECT_EQ(socket.sent, "abc\x03" "de");
}

TEST_F(KeyboardTest, InverseTypingIsTakenWhenTheKeyIsTyped) {
    config.KeyPressDelay = true;
    config.KeyDelayValue = 65;
    connectDirect(0);
    keys().characterKey('a');
    keys().characterKey('b');
    keys().specialKey(KeyCode::End, false, false, false);
    keys().characterKey('c');
    keys().specialKey(KeyCode::End, false, false, false);
    timeline.advance(1000);
    EXPECT_EQ(socket.sent, "ab\xe3");
}

TEST_F(KeyboardTest, OfflineEditingKeysQueueBehindTypedKeys) {
    config.KeyPressDelay = true;
    config.KeyDelayValue = 65;
    keys().characterKey('A');
    keys().characterKey('B');
    keys().specialKey(KeyCode::Left, false, false, false);
    keys().characterKey('C');
    timeline.advance(1000);
    EXPECT_EQ(moji.codes, "65;66;30;67;");
    EXPECT_EQ(rowText(0).substr(0, 2), "AC");  // the C went where the arrow put the cursor, on the B
}

TEST_F(KeyboardTest, AMacroHotKeyWaitsBehindTheKeysTypedBeforeIt) {
    config.KeyPressDelay = true;
    config.KeyDelayValue = 65;
    connectDirect(0);  // macro 1 of the sample board is "yourpassword<cr>"
    keys().characterKey('a');
    keys().characterKey('b');
    keys().specialKey(49, true, true, false);  // Shift+Ctrl+1
    keys().characterKey('c');
    timeline.advance(1000);
    EXPECT_EQ(socket.sent, "abyourpassword\x9b" "c");
}

TEST_F(KeyboardTest, AFullKeyQueueRefusesKeysWithTheBell) {
    config.KeyPressDelay = true;
    config.KeyDelayValue = 65;
    connectDirect(0);
    const std::size_t typed = 1 + vx::KeyboardInput::kMaxPendingKeys + 10;
    for (std::size_t i = 0; i < typed; ++i) keys().characterKey(static_cast<std::uint8_t>('a' + i % 26));
    EXPECT_EQ(sound.beeps, 10);
    timeline.advance(65 * 300);
    EXPECT_EQ(socket.sent.size(), 1 + vx::KeyboardInput::kMaxPendingKeys);
    EXPECT_EQ(socket.sent.substr(0, 3), "abc");
}

TEST_F(KeyboardTest, ClickSoundWhenAsked) {
    keys().characterKey('a');
    EXPECT_TRUE(sound.played.empty());
    config.AtariClick = true;
    keys().characterKey('b');
    EXPECT_EQ(sound.played, (std::vector<std::string>{"SP0000.wav"}));
}

TEST_F(KeyboardTest, ShiftCtrlDigitRunsTheMacroAndNothingElse) {
    connectDirect(0);  // macro 0 of the sample board is "yourlogin<cr>"
    EXPECT_TRUE(keys().specialKey(KeyCode::Digit0, true, true, false));
    EXPECT_EQ(socket.sent, "yourlogin\x9B");
    socket.sent.clear();
    keys().specialKey(KeyCode::Digit9, true, true, false);  // empty macro
    EXPECT_TRUE(socket.sent.empty());
}

TEST_F(KeyboardTest, AltTMovesTheFocusWithTheBoxOn) {
    int focusMoves = 0;
    vx::KeyboardInput withHook(screen, socket, timeline, config, sound, session->stayAlive(), dummyAbort,
                               {.connected = [] { return false; }, .focusToBox = [&] { ++focusMoves; }});
    config.UseTW = false;
    EXPECT_FALSE(withHook.specialKey(KeyCode::T, false, false, true));
    config.UseTW = true;
    EXPECT_TRUE(withHook.specialKey(KeyCode::T, false, false, true));
    EXPECT_EQ(focusMoves, 1);
}

}  // namespace
