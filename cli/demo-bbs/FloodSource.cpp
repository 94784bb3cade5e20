#include "FloodSource.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "Atascii.h"

namespace vx::demo {
namespace {
constexpr std::string_view kPangram = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 ";
}

std::string FloodSource::lineAt(std::uint64_t index) const {
    char number[16];
    std::snprintf(number, sizeof number, "%07llu ", static_cast<unsigned long long>(index % 10000000));
    std::string text(number);
    // Each line starts one letter further into the pangram, so the flood scrolls visibly.
    const std::size_t start = static_cast<std::size_t>(index % kPangram.size());
    while (text.size() < kLineLength - 1) {
        const std::size_t at = (start + text.size()) % kPangram.size();
        text += kPangram[at];
    }
    // The last line of the flood is cut short; it still has to end the line.
    const std::uint64_t lineStart = index * kLineLength;
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(kLineLength, m_total - lineStart));
    text.resize(length - 1);
    text += atascii::kEol;
    return text;
}

void FloodSource::take(std::size_t maxBytes, std::string& out) {
    std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(maxBytes, remaining()));
    while (wanted > 0) {
        const std::uint64_t index = m_produced / kLineLength;
        const std::size_t offset = static_cast<std::size_t>(m_produced % kLineLength);
        const std::string text = lineAt(index);
        const std::size_t piece = std::min(wanted, text.size() - offset);
        out.append(text, offset, piece);
        m_produced += piece;
        wanted -= piece;
    }
}

}  // namespace vx::demo
