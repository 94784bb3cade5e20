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

// Inverse typing is for characters. The editing keys keep their meaning, or Escape would go
// out as an end of line (27 + 128) and Backspace as delete-character (126 + 128): Escape,
// Tab (as the key types it and as the ATASCII tab 127), the cursor codes 28-31 and the ATASCII
// backspace. Return is 155 already.
bool isEditingCode(std::uint8_t c) { return c == 9 || c == 27 || (c >= 28 && c <= 31) || c == 126 || c == 127; }

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
      m_delay(timers.createTimer([this] { handleNextKeys(); })) {
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
    if (m_inverse && c < 128 && !isEditingCode(c)) c = static_cast<std::uint8_t>(c + 128);
    enqueue(PendingKey{c, k == kCtrlC, PendingKey::Kind::Character});
}

void KeyboardInput::enqueue(PendingKey key) {
    if (m_pending.size() >= kMaxPendingKeys) {
        m_sound.beep();
        return;
    }
    m_pending.push_back(key);
    if (!m_busy) handleNextKeys();
}

void KeyboardInput::handleNextKeys() {
    // Without the delay every waiting key is handled now; with it, one key per delay.
    while (!m_pending.empty()) {
        const PendingKey key = m_pending.front();
        m_pending.pop_front();
        m_busy = true;
        handleKey(key);
        if (key.kind != PendingKey::Kind::Character) continue;
        if (m_config.KeyPressDelay && m_config.KeyDelayValue > 0) {
            m_delay->start(m_config.KeyDelayValue, false);
            return;
        }
    }
    m_busy = false;
}

void KeyboardInput::handleKey(const PendingKey& key) {
    if (key.kind == PendingKey::Kind::EditingKey) {
        if (!m_hooks.connected()) drawOffline(key.code);
        return;
    }
    if (key.kind == PendingKey::Kind::Macro) {
        if (m_hooks.runMacro) m_hooks.runMacro(key.code);
        return;
    }
    // A key typed while a transfer owns the line is dropped whole: a Ctrl-C must not set the
    // abort flag either, or the board's first screen after the transfer would be thrown away.
    if (m_hooks.connected() && m_hooks.lineTaken && m_hooks.lineTaken()) return;
    m_stayAlive.pauseForKey();
    if (!m_hooks.connected()) {
        drawOffline(key.code);
    } else {
        if (key.ctrlC) m_abort = true;
        const char byte = static_cast<char>(key.code);
        SocketPort::SendError ignored;  // a failed send shows up as the socket's error event
        m_socket.send(std::string_view(&byte, 1), ignored);
    }
    m_stayAlive.restartAfterKey();
    if (m_config.AtariClick) m_sound.playFile(kClickSound);
}

void KeyboardInput::editingKeyOffline(std::uint8_t code) {
    if (m_busy)
        enqueue(PendingKey{code, false, PendingKey::Kind::EditingKey});
    else
        drawOffline(code);
}

bool KeyboardInput::specialKey(KeyCode code, bool shift, bool ctrl, bool alt) {
    const int value = static_cast<int>(code);
    if (shift && ctrl && value >= static_cast<int>(KeyCode::Digit0) && value <= static_cast<int>(KeyCode::Digit9)) {
        const auto digit = static_cast<std::uint8_t>(value - static_cast<int>(KeyCode::Digit0));
        if (m_busy)
            enqueue(PendingKey{digit, false, PendingKey::Kind::Macro});
        else if (m_hooks.runMacro)
            m_hooks.runMacro(digit);
        return true;
    }
    switch (code) {
        case KeyCode::Up:
        case KeyCode::Down:
        case KeyCode::Left:
        case KeyCode::Right:
        case KeyCode::Delete:
        case KeyCode::Insert:
            // The editing keys are drawn offline and send nothing while connected; Delete and
            // Insert act only with Ctrl, and never reach the board as characters (127 would be
            // the ATASCII tab).
            if (!(shift && ctrl) && !m_hooks.connected()) {
                if (const auto drawn = editingKeyCode(code, ctrl)) editingKeyOffline(*drawn);
            }
            return true;
        case KeyCode::End:
            setInverseTyping(!m_inverse);
            return true;
        case KeyCode::T:
            if (alt && m_config.UseTW) {
                if (m_hooks.focusToBox) m_hooks.focusToBox();
                return true;
            }
            return false;
        default:
            return false;
    }
}

std::optional<std::uint8_t> KeyboardInput::editingKeyCode(KeyCode code, bool ctrl) {
    switch (code) {
        case KeyCode::Up:
            return 28;
        case KeyCode::Down:
            return 29;
        case KeyCode::Left:
            return 30;
        case KeyCode::Right:
            return 31;
        case KeyCode::Delete:
            return ctrl ? std::optional<std::uint8_t>(254) : std::nullopt;
        case KeyCode::Insert:
            return ctrl ? std::optional<std::uint8_t>(255) : std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace vx
