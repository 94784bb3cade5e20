// Any stored text unscrambles without failing, and whatever ScrambleText stores reads back as
// the text it was given whenever some offset can carry it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/Scrambler.h"

namespace {

class FixedRandom : public vx::Random {
public:
    explicit FixedRandom(double value) : m_value(value) {}
    void seedFromClock() override {}
    double next() override { return m_value; }

private:
    double m_value;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)vx::Scrambler::UnscrambleText(text);

    std::string plain = text;
    while (!plain.empty() && plain.back() == ' ') plain.pop_back();
    std::string expected = plain;
    for (char& c : expected)
        if (c == '\0') c = '\xFF';
    bool carriable = false;
    for (int offset = 1; offset <= 101 && !carriable; ++offset)
        carriable = vx::Scrambler::unscramble(vx::Scrambler::kKey, vx::Scrambler::scrambleWithOffset(
                                                                       vx::Scrambler::kKey, plain, offset)) == expected;

    FixedRandom random(size > 0 ? data[0] / 256.0 : 0.0);
    vx::Scrambler scrambler(random);
    const std::string stored = scrambler.ScrambleText(text);
    if (vx::Scrambler::HasBlank(stored)) std::abort();
    if (carriable && vx::Scrambler::UnscrambleText(stored) != expected) std::abort();
    return 0;
}
