#include "HostileScenarios.h"

#include <algorithm>

namespace vx::hostile {
namespace {

constexpr char kEol = static_cast<char>(155);
constexpr char kEscape = 27;
constexpr char kIac = static_cast<char>(255);
constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;

// Every value after every count of leading letters from 0 to 79, so each code is met in every
// column of an 80-column row, alone and after an escape.
std::string everyByteEverywhere() {
    std::string bytes;
    for (int column = 0; column < 80; ++column)
        for (int code = 0; code < 256; ++code)
            for (bool escaped : {false, true}) {
                bytes.append(static_cast<std::size_t>(column), 'A');
                if (escaped) bytes += kEscape;
                bytes += static_cast<char>(code);
                bytes += kEol;
            }
    return bytes;
}

std::string textLines() {
    std::string lines;
    for (int n = 0; n < 1680; ++n) {  // 1680 lines of 39 characters and an end of line: 64 KiB and some
        std::string line = "Line " + std::to_string(n) + " of a board that will not stop talking";
        line.resize(39, '.');
        lines += line + kEol;
    }
    return lines;
}

// Runs that look like addresses to the detector and never end: the scheme, then 100 KiB of
// characters an address may hold.
std::string addressRun() {
    static constexpr std::string_view kChars = "abcdefghijklmnopqrstuvwxyz0123456789/.-_~%?=&";
    std::string run = "http://www.";
    for (std::int64_t i = 0; i < 100 * kKiB; ++i) run += kChars[static_cast<std::size_t>(i * 7 % kChars.size())];
    return run + " ";
}

// Quotes and line ends in every arrangement the capture file's own quoting could trip over.
std::string quoteBreakers() {
    using namespace std::string_view_literals;
    static constexpr std::string_view kParts[] = {"\""sv, "\"\""sv, "\"\r\n"sv, "\r\n\""sv, "\",\""sv, "\r"sv, "\n"sv,
                                                  "\"\r\n\""sv, "text"sv, "\" \""sv, "\0\""sv, "\x9b\""sv};
    std::string bytes;
    for (std::size_t a = 0; a < std::size(kParts); ++a)
        for (std::size_t b = 0; b < std::size(kParts); ++b) bytes.append(kParts[a]).append(kParts[b]).append(" ");
    return bytes;
}

// Telnet commands without end: doubled 255s, every WILL, WONT, DO and DONT, unfinished
// subnegotiations, and a 255 left alone at the end of a piece.
std::string iacStorm() {
    std::string bytes(512, kIac);
    for (int verb = 251; verb <= 254; ++verb)
        for (int option = 0; option < 256; ++option) {
            bytes += kIac;
            bytes += static_cast<char>(verb);
            bytes += static_cast<char>(option);
        }
    for (int option = 0; option < 256; ++option) {
        bytes += kIac;
        bytes += static_cast<char>(250);
        bytes += static_cast<char>(option);
        bytes.append(300, static_cast<char>(option));
    }
    return bytes;
}

}  // namespace

const std::vector<Scenario>& scenarios() {
    static const std::vector<Scenario> list = {
        {"random", "random bytes at full speed", 64 * kMiB, Ending::Close},
        {"every-byte", "every byte value in every column, alone and after an escape", 0, Ending::Close},
        {"iac-storm", "255s and telnet commands without end, unfinished subnegotiations", 8 * kMiB, Ending::Close},
        {"flood", "text lines at full speed (1 GiB)", 1024 * kMiB, Ending::Close},
        {"drip", "one byte a second, for as long as the caller stays", -1, Ending::CallerHangsUp,
         Listening::Discards, 1000},
        {"cut", "a fast page, then a close in the middle of a piece and of an escape", 1 * kMiB, Ending::Close},
        {"reset", "a fast page, then the connection reset (RST)", 1 * kMiB, Ending::Reset},
        {"silent", "answers the call and never sends a byte", 0, Ending::CallerHangsUp},
        {"deaf", "sends lines and never reads what the caller sends", -1, Ending::CallerHangsUp,
         Listening::NeverReads, 10},
        {"long-line", "text without any end of line", 16 * kMiB, Ending::Close},
        {"url-runs", "address-shaped runs of 100 KiB", 8 * kMiB, Ending::Close},
        {"quotes", "quotes and line ends that could break a capture file", 1 * kMiB, Ending::Close},
    };
    return list;
}

const Scenario* findScenario(std::string_view name) {
    const auto& list = scenarios();
    const auto found = std::find_if(list.begin(), list.end(), [&](const Scenario& s) { return s.name == name; });
    return found == list.end() ? nullptr : &*found;
}

ByteSource::ByteSource(const Scenario& scenario, std::int64_t total, std::uint32_t seed)
    : m_scenario(scenario), m_total(total), m_random(seed) {
    const std::string_view name = scenario.name;
    if (name == "every-byte") {
        m_pattern = everyByteEverywhere();
        if (m_total == 0) m_total = static_cast<std::int64_t>(m_pattern.size());
    } else if (name == "iac-storm") {
        m_pattern = iacStorm();
    } else if (name == "url-runs") {
        m_pattern = addressRun();
    } else if (name == "quotes") {
        m_pattern = quoteBreakers();
    } else if (name == "long-line") {
        m_pattern = std::string("The line that never ends goes on and on. ");
    } else if (name == "drip") {
        m_pattern = std::string("drip ");
    } else {
        m_pattern = textLines();
    }
}

std::size_t ByteSource::nextSize() {
    const std::string_view name = m_scenario.name;
    if (name == "drip") return 1;
    if (name == "deaf") return 40;
    // Odd sizes put every byte at many places in a piece; the floods go in large pieces.
    if (name == "random") return std::uniform_int_distribution<std::size_t>(1, 64 * 1024)(m_random);
    if (name == "every-byte") return static_cast<std::size_t>(1 + m_pieces % 97);
    if (name == "iac-storm" || name == "quotes") return std::uniform_int_distribution<std::size_t>(1, 4096)(m_random);
    if (name == "cut") return 48 * 1024 + 7;
    return 64 * 1024;
}

std::string ByteSource::makePiece(std::size_t size) {
    std::string piece(size, '\0');
    if (m_scenario.name == "random") {
        for (char& byte : piece) byte = static_cast<char>(m_random() & 0xFF);
        return piece;
    }
    for (std::size_t i = 0; i < size; ++i)
        piece[i] = m_pattern[static_cast<std::size_t>((m_given + static_cast<std::int64_t>(i)) %
                                                      static_cast<std::int64_t>(m_pattern.size()))];
    return piece;
}

std::string_view ByteSource::next() {
    std::size_t size = nextSize();
    if (m_total >= 0) {
        if (m_given >= m_total) return {};
        size = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(size), m_total - m_given));
    }
    m_piece = makePiece(size);
    // The cut call stops in the middle of an escape: its last byte asks for one more.
    if (m_scenario.name == "cut" && m_total >= 0 && m_given + static_cast<std::int64_t>(size) == m_total)
        m_piece.back() = kEscape;
    m_given += static_cast<std::int64_t>(size);
    ++m_pieces;
    return m_piece;
}

std::string allBytes(const Scenario& scenario, std::int64_t total, std::uint32_t seed) {
    ByteSource source(scenario, total, seed);
    std::string bytes;
    for (std::string_view piece = source.next(); !piece.empty(); piece = source.next()) bytes += piece;
    return bytes;
}

}  // namespace vx::hostile
