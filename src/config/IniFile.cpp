#include "config/IniFile.h"

#include <algorithm>

namespace vx {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";
constexpr std::string_view kNewLine = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Key and section names compare in ASCII case only, whatever the locale.
std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The name of a "[name]" line (up to the first ']' or the line's end), or nothing.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    return trim(line.substr(0, line.find(']')));
}

// The key of a "key=value" line, or nothing for comments, blank and other lines.
std::optional<std::string_view> keyOf(std::string_view line) {
    const std::string_view trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = trim(trimmed.substr(0, equals));
    if (key.empty()) return std::nullopt;
    return key;
}

bool isBlankLine(std::string_view line) { return trim(line).empty(); }

std::string withoutLineBreaks(std::string_view value) {
    std::string out(value);
    std::replace(out.begin(), out.end(), '\r', ' ');
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

bool hasSurroundingQuotes(std::string_view value) {
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}

// A read takes one pair of quotes off a value; a value that has such a pair of its own is
// written inside one more, so it reads back as it was given ('Nuff Said' keeps its quotes).
std::string asStored(std::string value) {
    if (hasSurroundingQuotes(trim(value))) return "\"" + value + "\"";
    return value;
}

unsigned unitAt(std::string_view bytes, std::size_t index, bool bigEndian) {
    const auto first = static_cast<unsigned char>(bytes[2 * index]);
    const auto second = static_cast<unsigned char>(bytes[2 * index + 1]);
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
}

}  // namespace

IniFile IniFile::parse(std::string_view bytes) {
    IniFile file;
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        file.m_encoding = Encoding::Utf8WithMark;
        bytes.remove_prefix(kByteOrderMark.size());
    } else if (bytes.substr(0, 2) == kUtf16LEMark || bytes.substr(0, 2) == kUtf16BEMark) {
        const bool bigEndian = bytes.substr(0, 2) == kUtf16BEMark;
        file.m_encoding = bigEndian ? Encoding::Utf16BE : Encoding::Utf16LE;
        bytes.remove_prefix(2);
        if (bytes.size() % 2 != 0) {
            file.m_oddByte = bytes.substr(bytes.size() - 1);
            bytes.remove_suffix(1);
        }
        std::string text(bytes.size() / 2, '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned unit = unitAt(bytes, i, bigEndian);
            text[i] = unit <= 0xFF ? static_cast<char>(unit) : '?';
        }
        file.parseLines(text, bytes);
        return file;
    }
    file.parseLines(bytes, {});
    return file;
}

// Splits the text into lines; `utf16` is the file's UTF-16 bytes behind the text (one code unit
// per character), or empty for a file of bytes.
void IniFile::parseLines(std::string_view bytes, std::string_view utf16) {
    const bool bigEndian = m_encoding == Encoding::Utf16BE;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t newline = bytes.find('\n', at);
        Line line;
        std::size_t end;
        if (newline == std::string_view::npos) {
            end = bytes.size();
            line.text = bytes.substr(at);
            at = bytes.size();
        } else {
            const bool crlf = newline > at && bytes[newline - 1] == '\r';
            end = newline - (crlf ? 1 : 0);
            line.text = bytes.substr(at, end - at);
            line.ending = crlf ? "\r\n" : "\n";
            at = newline + 1;
        }
        if (!utf16.empty()) {
            const std::size_t start = end - line.text.size();
            for (std::size_t i = start; i < end; ++i) {
                if (unitAt(utf16, i, bigEndian) > 0xFF) {
                    line.wide = utf16.substr(2 * start, 2 * (end - start));
                    break;
                }
            }
        }
        if (const auto name = sectionName(line.text)) {
            m_sectionIndex.try_emplace(lower(*name), m_sections.size());
            m_sections.push_back(Section{std::move(line), {}, {}});
        } else if (m_sections.empty()) {
            m_preamble.push_back(std::move(line));
        } else {
            m_sections.back().body.push_back(std::move(line));
        }
    }
    for (Section& section : m_sections) indexKeys(section);
}

std::string IniFile::encode(std::string_view text) const {
    if (m_encoding != Encoding::Utf16LE && m_encoding != Encoding::Utf16BE) return std::string(text);
    const bool bigEndian = m_encoding == Encoding::Utf16BE;
    std::string out;
    out.reserve(2 * text.size());
    for (const char c : text) {
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}

void IniFile::indexKeys(Section& section) {
    section.keys.clear();
    for (std::size_t i = 0; i < section.body.size(); ++i)
        if (const auto key = keyOf(section.body[i].text)) section.keys.try_emplace(lower(*key), i);
}

std::string IniFile::serialize() const {
    std::string out;
    switch (m_encoding) {
        case Encoding::Bytes:
            break;
        case Encoding::Utf8WithMark:
            out += kByteOrderMark;
            break;
        case Encoding::Utf16LE:
            out += kUtf16LEMark;
            break;
        case Encoding::Utf16BE:
            out += kUtf16BEMark;
            break;
    }
    const auto put = [&](const Line& line) {
        out += line.wide.empty() ? encode(line.text) : line.wide;
        out += encode(line.ending);
    };
    for (const Line& line : m_preamble) put(line);
    for (const Section& section : m_sections) {
        put(section.header);
        for (const Line& line : section.body) put(line);
    }
    out += m_oddByte;
    return out;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    const auto found = m_sectionIndex.find(lower(trim(name)));
    return found == m_sectionIndex.end() ? nullptr : &m_sections[found->second];
}

bool IniFile::hasSection(std::string_view section) const { return findSection(section) != nullptr; }

bool IniFile::sectionHasValues(std::string_view section) const {
    const std::string name = lower(trim(section));
    for (const Section& candidate : m_sections) {
        if (lower(*sectionName(candidate.header.text)) != name) continue;
        for (const Line& line : candidate.body)
            if (keyOf(line.text) && !valueOf(line.text).empty()) return true;
    }
    return false;
}

std::string IniFile::valueOf(std::string_view line) {
    std::string_view value = trim(line.substr(line.find('=') + 1));
    if (hasSurroundingQuotes(value)) value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
    const Section* found = findSection(section);
    if (!found) return std::nullopt;
    const auto line = found->keys.find(lower(trim(key)));
    if (line == found->keys.end()) return std::nullopt;
    return valueOf(found->body[line->second].text);
}

std::string IniFile::read(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    std::string value;
    if (auto stored = find(section, key)) {
        value = std::move(*stored);
    } else {
        while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
        value = defaultValue;
    }
    if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    return value;
}

void IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
    // A stray last byte of a UTF-16 file would put everything written after it out of step.
    m_oddByte.clear();
    const std::string cleanValue = asStored(withoutLineBreaks(value));
    const std::string cleanKey = withoutLineBreaks(trim(key));
    const std::string cleanSection = withoutLineBreaks(trim(section));

    const auto found = m_sectionIndex.find(lower(cleanSection));
    if (found == m_sectionIndex.end()) {
        // A new section at the end of the file; the last line gets an ending if it had none.
        Line* last = nullptr;
        if (!m_sections.empty())
            last = m_sections.back().body.empty() ? &m_sections.back().header : &m_sections.back().body.back();
        else if (!m_preamble.empty())
            last = &m_preamble.back();
        if (last && last->ending.empty()) last->ending = kNewLine;
        Section added{Line{"[" + cleanSection + "]", std::string(kNewLine), {}}, {}, {}};
        added.body.push_back(Line{cleanKey + "=" + cleanValue, std::string(kNewLine), {}});
        indexKeys(added);
        m_sectionIndex.emplace(lower(cleanSection), m_sections.size());
        m_sections.push_back(std::move(added));
        return;
    }

    Section& target = m_sections[found->second];
    if (const auto line = target.keys.find(lower(cleanKey)); line != target.keys.end()) {
        Line& existing = target.body[line->second];
        const std::string_view trimmed = trim(existing.text);
        existing.text = std::string(trim(trimmed.substr(0, trimmed.find('=')))) + "=" + cleanValue;
        existing.wide.clear();
        return;
    }

    // A new key goes after the last non-blank line of its section, before the blank lines that
    // separate it from the next one.
    std::size_t insertAt = target.body.size();
    while (insertAt > 0 && isBlankLine(target.body[insertAt - 1].text)) --insertAt;
    Line& before = insertAt == 0 ? target.header : target.body[insertAt - 1];
    if (before.ending.empty()) before.ending = kNewLine;
    target.body.insert(target.body.begin() + static_cast<std::ptrdiff_t>(insertAt),
                       Line{cleanKey + "=" + cleanValue, std::string(kNewLine), {}});
    indexKeys(target);
}

}  // namespace vx
