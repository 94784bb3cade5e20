#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "config/ConfigSettings.h"
#include "platform/SocketPort.h"
#include "platform/Sound.h"
#include "platform/Timer.h"
#include "screen/ScreenInterpreter.h"

namespace vx {

class StayAlive;
class MojiCodeSink;

// Key codes of the special keys, as the screen window reports them.
enum class KeyCode : int {
    End = 35,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Insert = 45,
    Delete = 46,
    Digit0 = 48,
    Digit9 = 57,
    T = 84,
};

// Turns the user's keys on the screen window into ATASCII. While connected a typed key goes to
// the board as one byte and nothing is drawn (the board echoes); offline it is drawn here and its
// code is recorded for the 'Moji editor.
class KeyboardInput {
public:
    static constexpr const char* kClickSound = "SP0000.wav";

    struct Hooks {
        std::function<bool()> connected{};
        std::function<void(int digit)> runMacro{};           // Shift+Ctrl+digit
        std::function<void(bool inverse)> inverseChanged{};  // End toggled inverse typing
        std::function<void()> focusToBox{};                  // Alt+T with UseTW
        std::function<void()> screenChanged{};               // something was drawn offline
    };

    KeyboardInput(ScreenInterpreter& screen, SocketPort& socket, TimerFactory& timers, ConfigSettings& config,
                  Sound& sound, StayAlive& stayAlive, bool& abortFlag, Hooks hooks);

    void setMojiSink(MojiCodeSink* sink) { m_moji = sink; }

    // Fills the key table: every code maps to itself, except 13 (Enter) to 155.
    void BuildTranslationTables();
    const std::array<std::uint8_t, 256>& AsciiToAtascii() const { return m_asciiToAtascii; }

    // A character key k (0-255). Keys typed while the previous one is still being handled (the
    // key-press delay) are dropped.
    void characterKey(std::uint8_t k);
    // A special key with its modifiers; true when it was one of the keys handled here.
    bool specialKey(KeyCode code, bool shift, bool ctrl, bool alt);
    bool specialKey(int code, bool shift, bool ctrl, bool alt) {
        return specialKey(static_cast<KeyCode>(code), shift, ctrl, alt);
    }

    bool inverseTyping() const { return m_inverse; }
    void setInverseTyping(bool inverse);
    bool busy() const { return m_busy; }

private:
    void drawOffline(std::uint8_t code);
    void finishKey();

    ScreenInterpreter& m_screen;
    SocketPort& m_socket;
    ConfigSettings& m_config;
    Sound& m_sound;
    StayAlive& m_stayAlive;
    bool& m_abort;
    Hooks m_hooks;
    MojiCodeSink* m_moji = nullptr;
    std::unique_ptr<Timer> m_delay;
    std::array<std::uint8_t, 256> m_asciiToAtascii{};
    bool m_inverse = false;
    bool m_busy = false;
};

}  // namespace vx
