#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "config/ConfigSettings.h"
#include "platform/Timer.h"
#include "tools/ScreenFeed.h"
#include "tools/TextSinks.h"

namespace vx {

class StatusReporter;

// The scrollback ring: the last 2047 received characters in a fixed 2048-character buffer with
// 1-based positions, replayed onto the screen (one character per millisecond, as a job) or
// copied into The Box.
class Scrollback {
public:
    static constexpr int kRingSize = 2048;
    // The characters of history the ring shows: every position but the next to be overwritten.
    static constexpr std::size_t kHistory = kRingSize - 1;
    static constexpr int kStepMs = 1;

    Scrollback(const ConfigSettings& config, TimerFactory& timers, StatusReporter& status, ScreenFeed screen,
               BoxText& box);
    ~Scrollback();
    Scrollback(const Scrollback&) = delete;
    Scrollback& operator=(const Scrollback&) = delete;

    // Stores one received chunk; no allocation. Afterwards the ring ends with the last 2047
    // characters received, whatever the size of the chunk.
    void WriteScrollback(std::string_view chunk);

    // Where the next character goes: 0 before the first write, then 1..2048.
    std::int16_t position() const { return m_position; }
    // Positions 1..2048 at indexes 0..2047.
    std::string_view ring() const { return {m_ring.data(), m_ring.size()}; }
    // Oldest first: positions p..2047 then 1..p. Its last character is the next to be overwritten.
    std::string orderedView() const;

    // The first index (1-based) of the ordered view that a replay of `count` characters shows;
    // past 2047 when there is nothing to show.
    static int replayStart(int count);

    // "ScrollBack": the last `count` characters onto the screen (fewer when fewer were received).
    // False when refused (nothing written yet, or a replay already running).
    bool viewScrollback(int count);
    // "1) Scrollback to Box": the same text into The Box, EOL as a blank, emptying The Box first
    // when Scroll2BoxClrBox is on. Runs to the end before returning. True when something was
    // copied: the window then clears "Auto C/R" (before calling) and sets the quoting step to 1.
    bool scrollbackToBox(int count);
    // cmdPause and cmdStopSB.
    void togglePause();
    void abort();

    // cmdPause, cmdStopSB and the indicator are visible exactly while this is true.
    bool replaying() const { return m_replaying; }
    bool paused() const { return m_paused; }
    bool toBoxMode() const { return m_toBox; }
    const char* pauseCaption() const { return m_paused ? "Resume" : "Pause"; }

    // The debug window's fields, as of the last write.
    std::int16_t positionBeforeWrite() const { return m_positionBefore; }
    std::int16_t positionAfterWrite() const { return m_position; }
    // Everything written since the position last moved backwards.
    std::string_view textSinceWrap() const { return m_sinceWrap; }

    // Visible state changed (controls, caption).
    void setOnChanged(std::function<void()> callback) { m_onChanged = std::move(callback); }
    // A replay ended: the window gives the focus back to the screen.
    void setOnReplayFinished(std::function<void()> callback) { m_onFinished = std::move(callback); }
    // A chunk was written (the debug window follows the ring).
    void setOnWritten(std::function<void()> callback) { m_onWritten = std::move(callback); }

private:
    bool beginReplay(int count);
    void step();
    void finish();
    void changed() {
        if (m_onChanged) m_onChanged();
    }

    const ConfigSettings& m_config;
    StatusReporter& m_status;
    ScreenFeed m_screen;
    BoxText& m_box;
    std::unique_ptr<Timer> m_timer;

    std::array<char, kRingSize> m_ring{};
    std::int16_t m_position = 0;
    std::int16_t m_positionBefore = 0;
    std::int64_t m_received = 0;  // characters written in this run
    std::string m_sinceWrap;

    std::string m_view;  // the ordered view taken when the replay started
    int m_index = 0;
    bool m_replaying = false;
    bool m_paused = false;
    bool m_stop = false;
    bool m_toBox = false;

    std::function<void()> m_onChanged;
    std::function<void()> m_onWritten;
    std::function<void()> m_onFinished;
};

// The count box after an edit: a text that is not a number becomes SBbufferSize, a number above
// 2048 becomes "2048"; anything else stays as typed.
std::string correctScrollbackCount(std::string_view text, std::int16_t sbBufferSize);

}  // namespace vx
