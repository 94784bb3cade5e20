#pragma once

#include <string>
#include <string_view>

#include "platform/Random.h"

namespace vx {

// Keeps the password and hidden macros unreadable at a glance in the system files. A text of n
// characters becomes 2 + 2n upper-case hexadecimal characters: the starting offset (01-65), then
// one scrambled byte per character. The key is fixed: files scrambled with one key cannot be read
// with another, so it must never change.
class Scrambler {
public:
    static constexpr std::string_view kKey = "q7vx3n0t9k2m5r";

    explicit Scrambler(Random& random) : m_random(random) {}

    // Mode "E" scrambles with a random offset, "D" unscrambles, any other mode gives "".
    std::string ENCRYP(std::string_view mode, std::string_view key, std::string_view text);

    // Scrambles the text (trailing blanks removed) so that the result holds no blank. When no
    // offset gives such a result, every blank of the result is written as "0": the text is kept,
    // and UnscrambleText reads it back the same.
    std::string ScrambleText(std::string_view text);
    // Unscrambles (trailing blanks of the text removed). Any text gives some result.
    static std::string UnscrambleText(std::string_view text);
    static bool HasBlank(std::string_view text);
    // The login: the typed text must be exactly the stored password (no trimming, case counts).
    static bool passwordMatches(std::string_view typed, std::string_view storedScrambled) {
        return !storedScrambled.empty() && unscramble(kKey, storedScrambled) == typed;
    }

    // Scrambling with a given offset (1-101); the result may hold blanks (values below 16).
    static std::string scrambleWithOffset(std::string_view key, std::string_view text, int offset);
    static std::string unscramble(std::string_view key, std::string_view text);

private:
    int randomOffset();

    Random& m_random;
};

}  // namespace vx
