#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vx::hostile {

// How a call to the hostile board ends once its bytes are out.
enum class Ending {
    Close,           // an orderly close right after the last byte (FIN)
    Reset,           // the connection is reset (RST) with bytes still on their way
    CallerHangsUp,   // the board never ends the call: the caller has to
};

// How the board treats what the caller sends.
enum class Listening {
    Discards,   // reads and forgets it
    NeverReads  // lets the caller's bytes pile up until the window is full
};

struct Scenario {
    std::string_view name;
    std::string_view what;
    // Bytes a call sends before its ending; -1 for a stream without end.
    std::int64_t defaultBytes;
    Ending ending;
    Listening listening = Listening::Discards;
    // Milliseconds between two pieces (0: as fast as the line takes them).
    int pauseMs = 0;
};

const std::vector<Scenario>& scenarios();
// nullptr for a name that is not in the list.
const Scenario* findScenario(std::string_view name);

// The bytes of one call, piece by piece, in the sizes they are written to the socket in: the same
// scenario, size and seed always give the same pieces, so a test can rebuild what was sent.
class ByteSource {
public:
    ByteSource(const Scenario& scenario, std::int64_t total, std::uint32_t seed);
    // The next piece; empty once `total` bytes were given (never for a stream without end).
    std::string_view next();
    std::int64_t given() const { return m_given; }

private:
    std::string makePiece(std::size_t size);
    std::size_t nextSize();

    const Scenario& m_scenario;
    std::int64_t m_total;
    std::int64_t m_given = 0;
    std::int64_t m_pieces = 0;
    std::mt19937 m_random;
    std::string m_piece;
    std::string m_pattern;  // the repeating text of the floods and runs
};

// Everything a bounded call sends, in one string (for tests; keep `total` small).
std::string allBytes(const Scenario& scenario, std::int64_t total, std::uint32_t seed);

}  // namespace vx::hostile
