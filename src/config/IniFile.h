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
//  - a file that starts with a UTF-16 byte order mark (little- or big-endian, as Notepad saves
//    "Unicode" files) is read as UTF-16 and written back in it, mark included. Its characters
//    reach the program as bytes (Latin-1), as the profile functions hand them to a program
//    that works in bytes; a character beyond Latin-1 reads as '?', while the line holding it
//    is written back as it was unless the program changes that line.
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
    // lines of its own; a value with a pair of quotes around it is stored inside one more pair,
    // so that a read gives it back with its quotes.
    void write(std::string_view section, std::string_view key, std::string_view value);

    bool hasSection(std::string_view section) const;
    // True when a section of that name (the first or any later one) has a key with a value.
    bool sectionHasValues(std::string_view section) const;

private:
    enum class Encoding { Bytes, Utf8WithMark, Utf16LE, Utf16BE };
    struct Line {
        std::string text;    // without its line ending
        std::string ending;  // "\r\n", "\n" or "" for a last line without one
        std::string wide;    // UTF-16 files: the text's bytes as read, when it has characters beyond Latin-1
    };
    struct Section {
        Line header;
        std::vector<Line> body;
        std::unordered_map<std::string, std::size_t> keys;  // lower-case key -> first body line
    };

    static void indexKeys(Section& section);
    const Section* findSection(std::string_view name) const;
    static std::string valueOf(std::string_view line);
    void parseLines(std::string_view text, std::string_view utf16);
    std::string encode(std::string_view text) const;

    Encoding m_encoding = Encoding::Bytes;
    std::string m_oddByte;  // a UTF-16 file of odd length: its last byte, kept until the file changes
    std::vector<Line> m_preamble;
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionIndex;  // lower-case name -> first section
};

}  // namespace vx
