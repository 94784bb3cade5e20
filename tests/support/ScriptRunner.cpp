#include "support/ScriptRunner.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenInterpreter.h"

namespace vx::test {
namespace {

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class EventCounter : public ScreenListener {
public:
    void bell() override { ++bells; }
    void scrolled() override { ++scrolls; }
    void cleared() override { ++clears; }
    int bells = 0, scrolls = 0, clears = 0;
};

// Splits a line into words; quoted text stays one word (quotes kept), '#' outside quotes ends it.
std::vector<std::string> splitWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    char quote = 0;
    bool escaped = false;
    for (char c : line) {
        if (quote) {
            word += c;
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '#' && word.empty()) break;
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
            continue;
        }
        if (c == '"' || c == '\'') quote = c;
        word += c;
    }
    if (quote) throw ScriptError("unterminated quote");
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

int parseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        throw ScriptError("not a number: " + std::string(text));
    return value;
}

std::string unescape(std::string_view body) {
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 == body.size()) {
            out += body[i];
            continue;
        }
        const char next = body[++i];
        if (next == 'x' && i + 2 < body.size()) {
            out += static_cast<char>(parseNumber("0x" + std::string(body.substr(i + 1, 2))));
            i += 2;
        } else {
            out += next;
        }
    }
    return out;
}

// One BYTES word: a number, 'c' or "text", optionally !-prefixed and *N-suffixed.
std::string parseBytesWord(std::string word) {
    bool inverse = false;
    if (!word.empty() && word[0] == '!') {
        inverse = true;
        word.erase(0, 1);
    }
    int repeat = 1;
    if (const auto star = word.find_last_of('*');
        star != std::string::npos && star > 0 && word.back() != '\'' && word.back() != '"') {
        repeat = parseNumber(word.substr(star + 1));
        word.erase(star);
    }
    std::string bytes;
    if (word.size() >= 2 && (word[0] == '"' || word[0] == '\'') && word.back() == word[0]) {
        bytes = unescape(std::string_view(word).substr(1, word.size() - 2));
        if (word[0] == '\'' && bytes.size() != 1) throw ScriptError("a character literal holds one character: " + word);
    } else {
        const int value = parseNumber(word);
        if (value < 0 || value > 255) throw ScriptError("byte out of range: " + word);
        bytes = std::string(1, static_cast<char>(value));
    }
    if (inverse) {
        for (char& c : bytes) c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
    }
    std::string out;
    for (int i = 0; i < repeat; ++i) out += bytes;
    return out;
}

std::string parseBytes(const std::vector<std::string>& words, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < words.size(); ++i) out += parseBytesWord(words[i]);
    return out;
}

std::string describe(std::optional<std::uint8_t> code) {
    if (!code) return "??";
    char text[16];
    std::snprintf(text, sizeof text, "%d", *code);
    return text;
}

class Script {
public:
    Script() { reset({}); }

    void execute(const std::vector<std::string>& words);

private:
    void reset(const std::vector<std::string>& options);
    void expect(const std::vector<std::string>& words);
    void expectRow(const std::vector<std::string>& words);
    void expectEvents(const std::vector<std::string>& words);
    std::optional<std::uint8_t> codeAt(int col, int row) const { return m_index.codeAt(*m_surface, col, row); }
    std::vector<std::optional<std::uint8_t>> visibleCells() const;
    static bool onOff(const std::string& word);

    GlyphIndex m_index;
    std::unique_ptr<Framebuffer> m_surface;
    std::unique_ptr<ScreenInterpreter> m_interpreter;
    EventCounter m_events;
    std::vector<std::optional<std::uint8_t>> m_snapshot;
};

void Script::reset(const std::vector<std::string>& options) {
    m_surface = std::make_unique<Framebuffer>();
    m_interpreter = std::make_unique<ScreenInterpreter>(*m_surface);
    m_events = {};
    m_interpreter->setListener(&m_events);
    for (std::size_t i = 1; i < options.size(); ++i) {
        if (options[i] == "80")
            m_interpreter->setColumnMode(true);
        else if (options[i] == "lantronix")
            m_interpreter->flags().lantronix = true;
        else if (options[i] == "buzzer")
            m_interpreter->flags().buzzer = true;
        else
            throw ScriptError("unknown reset option: " + options[i]);
    }
}

bool Script::onOff(const std::string& word) {
    if (word == "on") return true;
    if (word == "off") return false;
    throw ScriptError("expected on or off, not " + word);
}

std::vector<std::optional<std::uint8_t>> Script::visibleCells() const {
    std::vector<std::optional<std::uint8_t>> cells;
    for (int row = 0; row < Framebuffer::kRows; ++row)
        for (int col = 0; col < m_interpreter->state().ColumnCount; ++col) cells.push_back(codeAt(col, row));
    return cells;
}

void Script::execute(const std::vector<std::string>& words) {
    const std::string& command = words[0];
    const auto need = [&](std::size_t count) {
        if (words.size() < count) throw ScriptError("'" + command + "' needs more arguments");
    };
    if (command == "reset") {
        reset(words);
    } else if (command == "cols") {
        need(2);
        m_interpreter->setColumnMode(parseNumber(words[1]) == 80);
    } else if (command == "flag") {
        need(3);
        auto& flags = m_interpreter->flags();
        const bool value = onOff(words[2]);
        if (words[1] == "lantronix")
            flags.lantronix = value;
        else if (words[1] == "buzzer")
            flags.buzzer = value;
        else if (words[1] == "speedtest")
            flags.speedTest = value;
        else
            throw ScriptError("unknown flag: " + words[1]);
    } else if (command == "push") {
        for (char c : parseBytes(words, 1)) m_interpreter->ScreenHandler(static_cast<std::uint8_t>(c));
    } else if (command == "send") {
        m_interpreter->SendToScreen(parseBytes(words, 1));
    } else if (command == "snapshot") {
        m_snapshot = visibleCells();
    } else if (command == "expect") {
        need(2);
        expect(words);
    } else {
        throw ScriptError("unknown command: " + command);
    }
}

void Script::expect(const std::vector<std::string>& words) {
    const std::string& what = words[1];
    const auto& state = m_interpreter->state();
    std::ostringstream problem;
    if (what == "cursor") {
        if (words.size() != 4) throw ScriptError("expect cursor X Y");
        const int x = parseNumber(words[2]), y = parseNumber(words[3]);
        if (state.CursorX != x || state.CursorY != y)
            problem << "cursor is (" << state.CursorX << "," << state.CursorY << "), expected (" << x << "," << y
                    << ")";
    } else if (what == "lastchar") {
        if (words.size() != 3) throw ScriptError("expect lastchar N");
        const int expected = parseNumber(words[2]);
        if (state.LastChar != expected) problem << "LastChar is " << int{state.LastChar} << ", expected " << expected;
    } else if (what == "cell") {
        if (words.size() != 5) throw ScriptError("expect cell COL ROW BYTE");
        const int col = parseNumber(words[2]), row = parseNumber(words[3]);
        const std::string code = parseBytesWord(words[4]);
        if (code.size() != 1) throw ScriptError("expect cell takes one byte");
        const auto actual = codeAt(col, row);
        if (actual != static_cast<std::uint8_t>(code[0]))
            problem << "cell (" << col << "," << row << ") holds " << describe(actual) << ", expected "
                    << int{static_cast<std::uint8_t>(code[0])};
    } else if (what == "row") {
        expectRow(words);
        return;
    } else if (what == "rows") {
        if (words.size() != 5) throw ScriptError("expect rows FIRST LAST BYTE");
        const int first = parseNumber(words[2]), last = parseNumber(words[3]);
        const std::string code = parseBytesWord(words[4]);
        for (int row = first; row <= last && problem.str().empty(); ++row)
            for (int col = 0; col < state.ColumnCount; ++col)
                if (const auto actual = codeAt(col, row); actual != static_cast<std::uint8_t>(code[0])) {
                    problem << "cell (" << col << "," << row << ") holds " << describe(actual) << ", expected "
                            << int{static_cast<std::uint8_t>(code[0])};
                    break;
                }
    } else if (what == "events") {
        expectEvents(words);
        return;
    } else if (what == "unchanged") {
        if (m_snapshot.empty()) throw ScriptError("expect unchanged needs a snapshot first");
        if (visibleCells() != m_snapshot) problem << "the screen changed since the snapshot";
    } else {
        throw ScriptError("unknown expectation: " + what);
    }
    if (!problem.str().empty()) throw ScriptError(problem.str());
}

void Script::expectRow(const std::vector<std::string>& words) {
    if (words.size() < 4) throw ScriptError("expect row ROW [at COL] BYTES");
    const int row = parseNumber(words[2]);
    int col = 0;
    std::size_t from = 3;
    if (words[3] == "at") {
        if (words.size() < 6) throw ScriptError("expect row ROW at COL BYTES");
        col = parseNumber(words[4]);
        from = 5;
    }
    const std::string expected = parseBytes(words, from);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int at = col + static_cast<int>(i);
        const auto actual = codeAt(at, row);
        const auto wanted = static_cast<std::uint8_t>(expected[i]);
        if (actual != wanted) {
            std::ostringstream problem;
            problem << "row " << row << ": cell " << at << " holds " << describe(actual) << ", expected "
                    << int{wanted};
            throw ScriptError(problem.str());
        }
    }
}

void Script::expectEvents(const std::vector<std::string>& words) {
    int bells = 0, scrolls = 0, clears = 0;
    for (std::size_t i = 2; i < words.size(); ++i) {
        const auto eq = words[i].find('=');
        if (eq == std::string::npos) throw ScriptError("events are written name=count");
        const std::string name = words[i].substr(0, eq);
        const int count = parseNumber(words[i].substr(eq + 1));
        if (name == "bell")
            bells = count;
        else if (name == "scroll")
            scrolls = count;
        else if (name == "clear")
            clears = count;
        else
            throw ScriptError("unknown event: " + name);
    }
    std::ostringstream problem;
    if (m_events.bells != bells || m_events.scrolls != scrolls || m_events.clears != clears)
        problem << "events bell=" << m_events.bells << " scroll=" << m_events.scrolls << " clear=" << m_events.clears
                << ", expected bell=" << bells << " scroll=" << scrolls << " clear=" << clears;
    m_events.bells = m_events.scrolls = m_events.clears = 0;
    if (!problem.str().empty()) throw ScriptError(problem.str());
}

}  // namespace

std::vector<ScriptFailure> runScript(std::string_view script) {
    std::vector<ScriptFailure> failures;
    Script state;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start <= script.size()) {
        const std::size_t end = std::min(script.find('\n', start), script.size());
        const std::string_view line = script.substr(start, end - start);
        ++lineNumber;
        try {
            const auto words = splitWords(line);
            if (!words.empty()) state.execute(words);
        } catch (const ScriptError& error) {
            failures.push_back({lineNumber, error.what()});
        }
        if (end == script.size()) break;
        start = end + 1;
    }
    return failures;
}

}  // namespace vx::test
