#include "config/IniFile.h"

#include <algorithm>

namespace vx {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
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

}  // namespace

IniFile IniFile::parse(std::string_view bytes) {
    IniFile file;
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        file.m_byteOrderMark = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t newline = bytes.find('\n', at);
        Line line;
        if (newline == std::string_view::npos) {
            line.text = bytes.substr(at);
            at = bytes.size();
        } else {
            const bool crlf = newline > at && bytes[newline - 1] == '\r';
            line.text = bytes.substr(at, newline - at - (crlf ? 1 : 0));
            line.ending = crlf ? "\r\n" : "\n";
            at = newline + 1;
        }
        if (const auto name = sectionName(line.text)) {
            file.m_sectionIndex.try_emplace(lower(*name), file.m_sections.size());
            file.m_sections.push_back(Section{std::move(line), {}, {}});
        } else if (file.m_sections.empty()) {
            file.m_preamble.push_back(std::move(line));
        } else {
            file.m_sections.back().body.push_back(std::move(line));
        }
    }
    for (Section& section : file.m_sections) indexKeys(section);
    return file;
}

void IniFile::indexKeys(Section& section) {
    section.keys.clear();
    for (std::size_t i = 0; i < section.body.size(); ++i)
        if (const auto key = keyOf(section.body[i].text)) section.keys.try_emplace(lower(*key), i);
}

std::string IniFile::serialize() const {
    std::string out;
    if (m_byteOrderMark) out += kByteOrderMark;
    const auto put = [&](const Line& line) {
        out += line.text;
        out += line.ending;
    };
    for (const Line& line : m_preamble) put(line);
    for (const Section& section : m_sections) {
        put(section.header);
        for (const Line& line : section.body) put(line);
    }
    return out;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    const auto found = m_sectionIndex.find(lower(trim(name)));
    return found == m_sectionIndex.end() ? nullptr : &m_sections[found->second];
}

bool IniFile::hasSection(std::string_view section) const { return findSection(section) != nullptr; }

std::string IniFile::valueOf(std::string_view line) {
    std::string_view value = trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
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
    const std::string cleanValue = withoutLineBreaks(value);
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
        Section added{Line{"[" + cleanSection + "]", std::string(kNewLine)}, {}, {}};
        added.body.push_back(Line{cleanKey + "=" + cleanValue, std::string(kNewLine)});
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
        return;
    }

    // A new key goes after the last non-blank line of its section, before the blank lines that
    // separate it from the next one.
    std::size_t insertAt = target.body.size();
    while (insertAt > 0 && isBlankLine(target.body[insertAt - 1].text)) --insertAt;
    Line& before = insertAt == 0 ? target.header : target.body[insertAt - 1];
    if (before.ending.empty()) before.ending = kNewLine;
    target.body.insert(target.body.begin() + static_cast<std::ptrdiff_t>(insertAt),
                       Line{cleanKey + "=" + cleanValue, std::string(kNewLine)});
    indexKeys(target);
}

}  // namespace vx
