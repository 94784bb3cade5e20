#include "session/KeyboardInput.h"

#include <numeric>
#include <string>

#include "session/StayAlive.h"
#include "tools/TextSinks.h"

namespace vx {
namespace {

constexpr std::uint8_t kCtrlC = 3;
constexpr std::uint8_t kBackspaceKey = 8;
constexpr std::uint8_t kEnterKey = 13;
constexpr std::uint8_t kAtasciiBackspace = 126;
constexpr std::uint8_t kEndOfLine = 155;

}  // namespace

KeyboardInput::KeyboardInput(ScreenInterpreter& screen, SocketPort& socket, TimerFactory& timers,
                             ConfigSettings& config, Sound& sound, StayAlive& stayAlive, bool& abortFlag, Hooks hooks)
    : m_screen(screen),
      m_socket(socket),
      m_config(config),
      m_sound(sound),
      m_stayAlive(stayAlive),
      m_abort(abortFlag),
      m_hooks(std::move(hooks)),
      m_delay(timers.createTimer([this] { finishKey(); })) {
    BuildTranslationTables();
}

void KeyboardInput::BuildTranslationTables() {
    std::iota(m_asciiToAtascii.begin(), m_asciiToAtascii.end(), std::uint8_t{0});
    m_asciiToAtascii[kEnterKey] = kEndOfLine;
}

void KeyboardInput::setInverseTyping(bool inverse) {
    m_inverse = inverse;
    if (m_hooks.inverseChanged) m_hooks.inverseChanged(m_inverse);
}

void KeyboardInput::drawOffline(std::uint8_t code) {
    m_screen.ScreenHandler(code);
    if (m_moji) m_moji->appendCodes(std::to_string(code) + ";");
    if (m_hooks.screenChanged) m_hooks.screenChanged();
}

void KeyboardInput::characterKey(std::uint8_t k) {
    std::uint8_t c = m_asciiToAtascii[k];
    if (c == kBackspaceKey) c = kAtasciiBackspace;
    if (m_busy) return;
    m_busy = true;
    m_stayAlive.pauseForKey();
    if (m_inverse && c < 128) c = static_cast<std::uint8_t>(c + 128);

    if (!m_hooks.connected()) {
        drawOffline(c);
    } else {
        if (k == kCtrlC) m_abort = true;
        const char byte = static_cast<char>(c);
        SocketPort::SendError ignored;  // a failed send shows up as the socket's error event
        m_socket.send(std::string_view(&byte, 1), ignored);
    }
    m_stayAlive.restartAfterKey();
    if (m_config.AtariClick) m_sound.playFile(kClickSound);
    // With the key-press delay, keys typed before it has passed are dropped.
    if (m_config.KeyPressDelay && m_config.KeyDelayValue > 0)
        m_delay->start(m_config.KeyDelayValue, false);
    else
        finishKey();
}

void KeyboardInput::finishKey() { m_busy = false; }

bool KeyboardInput::specialKey(KeyCode code, bool shift, bool ctrl, bool alt) {
    const int value = static_cast<int>(code);
    if (shift && ctrl) {
        if (value >= static_cast<int>(KeyCode::Digit0) && value <= static_cast<int>(KeyCode::Digit9)) {
            if (m_hooks.runMacro) m_hooks.runMacro(value - static_cast<int>(KeyCode::Digit0));
            return true;
        }
    } else if (!m_hooks.connected()) {
        switch (code) {
            case KeyCode::Up:
                drawOffline(28);
                return true;
            case KeyCode::Down:
                drawOffline(29);
                return true;
            case KeyCode::Left:
                drawOffline(30);
                return true;
            case KeyCode::Right:
                drawOffline(31);
                return true;
            case KeyCode::Delete:
                if (ctrl) drawOffline(254);
                return ctrl;
            case KeyCode::Insert:
                if (ctrl) drawOffline(255);
                return ctrl;
            default:
                break;
        }
    }
    if (code == KeyCode::End) {
        setInverseTyping(!m_inverse);
        return true;
    }
    if (code == KeyCode::T && alt && m_config.UseTW) {
        if (m_hooks.focusToBox) m_hooks.focusToBox();
        return true;
    }
    return false;
}

}  // namespace vx
