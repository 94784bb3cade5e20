#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vx {

// An INI file held as its lines, read and changed with the semantics the program's files have
// always had:
//  - sections and keys match case-insensitively; the first match wins;
//  - a value is trimmed of blanks and tabs, and a matching pair of surrounding quotes (" or ')
//    is removed on read; a read returns at most 254 characters;
//  - a write changes only the line of its key; a missing key is added after the last non-blank
//    line of its section, a missing section is added at the end of the file;
//  - every other line (comments, blank lines, unknown lines, lines without '=', a UTF-8 byte
//    order mark) is kept byte for byte; new lines end in CR LF; CR LF and LF are both read.
// Texts are byte strings. Parsing never fails: any bytes give some file.
class IniFile {
public:
    static constexpr std::size_t kMaxValueLength = 254;

    static IniFile parse(std::string_view bytes);
    std::string serialize() const;

    // The stored value (trimmed, quotes removed, not shortened), or nothing when the section or
    // the key is missing.
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    // A profile read: the value cut to 254 characters, or the default (trailing blanks removed,
    // cut the same way) when the section or key is missing.
    std::string read(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Sets a value. Line breaks inside the value become blanks, so a value can never turn into
    // lines of its own.
    void write(std::string_view section, std::string_view key, std::string_view value);

    bool hasSection(std::string_view section) const;

private:
    struct Line {
        std::string text;    // without its line ending
        std::string ending;  // "\r\n", "\n" or "" for a last line without one
    };
    struct Section {
        Line header;
        std::vector<Line> body;
        std::unordered_map<std::string, std::size_t> keys;  // lower-case key -> first body line
    };

    static void indexKeys(Section& section);
    const Section* findSection(std::string_view name) const;
    static std::string valueOf(std::string_view line);

    bool m_byteOrderMark = false;
    std::vector<Line> m_preamble;
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionIndex;  // lower-case name -> first section
};

}  // namespace vx
