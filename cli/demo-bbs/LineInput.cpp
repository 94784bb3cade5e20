#include "LineInput.h"

#include "Atascii.h"

namespace vx::demo {
namespace {

constexpr std::uint8_t kEol = 155;
constexpr std::uint8_t kCarriageReturn = 13;
constexpr std::uint8_t kLineFeed = 10;
constexpr std::uint8_t kBackspace = 126;

// Keys that move the cursor or edit the screen. Echoing them would let a caller wander over the
// board's own text, and they mean nothing in a command.
bool isEditingKey(std::uint8_t b) {
    switch (b) {
        case 27:  // escape
        case 28:
        case 29:
        case 30:
        case 31:
        case 125:
        case 127:
        case 156:
        case 157:
        case 158:
        case 159:
        case 253:
        case 254:
        case 255:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<std::string> LineInput::feed(std::uint8_t b, std::string& echo) {
    // Clients that send ASCII line ends follow the carriage return with a line feed or a NUL.
    const bool afterCarriageReturn = m_afterCarriageReturn;
    m_afterCarriageReturn = b == kCarriageReturn;
    if (afterCarriageReturn && (b == kLineFeed || b == 0)) return std::nullopt;

    if (b == kEol || b == kCarriageReturn) {
        echo += atascii::kEol;
        std::string finished;
        finished.swap(m_line);
        return finished;
    }
    if (b == kBackspace) {
        // Never back over the prompt: only what the caller typed can be taken back.
        if (!m_line.empty()) {
            m_line.pop_back();
            echo += atascii::kBackspace;
        }
        return std::nullopt;
    }
    if (isEditingKey(b) || m_line.size() >= kMaxLength) return std::nullopt;
    m_line += static_cast<char>(b);
    echo += m_echoMask.value_or(static_cast<char>(b));
    return std::nullopt;
}

}  // namespace vx::demo
