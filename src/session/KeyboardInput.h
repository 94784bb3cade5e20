#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

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
//
// With the key-press delay on, a key is handled and then the delay runs before the next one;
// keys typed meanwhile wait in a queue and go out in order, one per delay, so fast typing loses
// nothing. The queue holds kMaxPendingKeys; a key typed into a full queue is refused with the
// bell, as a full keyboard buffer would.
class KeyboardInput {
public:
    static constexpr const char* kClickSound = "SP0000.wav";
    static constexpr std::size_t kMaxPendingKeys = 256;

    struct Hooks {
        std::function<bool()> connected{};
        std::function<void(int digit)> runMacro{};           // Shift+Ctrl+digit
        std::function<void(bool inverse)> inverseChanged{};  // End toggled inverse typing
        std::function<void()> focusToBox{};                  // Alt+T with UseTW
        std::function<void()> screenChanged{};               // something was drawn offline
        std::function<bool()> lineTaken{};                   // a file transfer owns the line
    };

    KeyboardInput(ScreenInterpreter& screen, SocketPort& socket, TimerFactory& timers, ConfigSettings& config,
                  Sound& sound, StayAlive& stayAlive, bool& abortFlag, Hooks hooks);

    void setMojiSink(MojiCodeSink* sink) { m_moji = sink; }
    void setFocusToBox(std::function<void()> action) { m_hooks.focusToBox = std::move(action); }
    void setOnInverseChanged(std::function<void(bool)> action) { m_hooks.inverseChanged = std::move(action); }

    // Fills the key table: every code maps to itself, except 13 (Enter) to 155.
    void BuildTranslationTables();
    const std::array<std::uint8_t, 256>& AsciiToAtascii() const { return m_asciiToAtascii; }

    // A character key k (0-255). Keys typed while the previous one is still being handled (the
    // key-press delay) wait their turn.
    void characterKey(std::uint8_t k);
    // A special key with its modifiers; true when it was one of the keys handled here.
    bool specialKey(KeyCode code, bool shift, bool ctrl, bool alt);
    bool specialKey(int code, bool shift, bool ctrl, bool alt) {
        return specialKey(static_cast<KeyCode>(code), shift, ctrl, alt);
    }

    bool inverseTyping() const { return m_inverse; }
    void setInverseTyping(bool inverse);
    bool busy() const { return m_busy; }
    // Keys typed and not yet handled.
    std::size_t pendingKeys() const { return m_pending.size(); }

private:
    // A key as it was typed: a character with its ATASCII code (inverse typing applied at the
    // moment of typing), an editing key that is only ever drawn offline, or a macro hot key
    // (its digit in `code`), which waits behind keys typed before it.
    struct PendingKey {
        enum class Kind { Character, EditingKey, Macro };
        std::uint8_t code = 0;
        bool ctrlC = false;
        Kind kind = Kind::Character;
    };

    void drawOffline(std::uint8_t code);
    void enqueue(PendingKey key);
    void handleNextKeys();
    void handleKey(const PendingKey& key);
    // Offline editing keys draw at once, unless typed keys are still waiting: then they queue
    // behind them, so the picture is drawn in the order it was typed.
    void editingKeyOffline(std::uint8_t code);
    // The code an editing key draws offline: the arrows 28-31, Ctrl+Delete 254, Ctrl+Insert 255.
    static std::optional<std::uint8_t> editingKeyCode(KeyCode code, bool ctrl);

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
    std::deque<PendingKey> m_pending;
    bool m_inverse = false;
    bool m_busy = false;
};

}  // namespace vx
