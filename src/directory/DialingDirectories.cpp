#include "directory/DialingDirectories.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

namespace vx::bbscsv {
namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

struct Section {
    int line = 0;
    std::string name;
    std::map<std::string, std::string> keys;  // lower-case key, first value given

    std::string value(const char* key) const {
        const auto found = keys.find(key);
        return found == keys.end() ? std::string() : found->second;
    }
};

bool isComment(const std::string& line) { return line.empty() || line[0] == ';' || line[0] == '#'; }

bool isSectionHeader(const std::string& line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

// Every line with its number, whatever the line ends (CR LF, LF or CR).
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
    int number = 1;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        visit(number++, trimmed(text.substr(start, end - start)));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

std::vector<Section> sectionsOf(std::string_view text) {
    std::vector<Section> sections;
    forEachLine(text, [&](int number, const std::string& line) {
        if (isComment(line)) return;
        if (isSectionHeader(line)) {
            sections.push_back({number, trimmed(std::string_view(line).substr(1, line.size() - 2)), {}});
            return;
        }
        const auto equals = line.find('=');
        if (sections.empty() || equals == std::string::npos) return;
        sections.back().keys.emplace(lowered(trimmed(std::string_view(line).substr(0, equals))),
                                     trimmed(std::string_view(line).substr(equals + 1)));
    });
    return sections;
}

// The board's line from the directory's word for how it is reached; empty when it cannot be
// called over a TCP line. A board that does not say is a telnet board, as in both directories.
std::string lineOf(const std::string& kind, BoardFileKind file) {
    const std::string word = lowered(kind);
    if (word.empty() || word == "telnet") return "Telnet";
    if (word == (file == BoardFileKind::IniDirectory ? "raw" : "socket")) return "Raw";
    return {};
}

}  // namespace

BoardFileKind boardFileKind(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    // The first line that says anything decides: a CSV file opens with its header row.
    std::string first;
    forEachLine(text, [&](int, const std::string& line) {
        if (first.empty() && !isComment(line)) first = line;
    });
    if (!isSectionHeader(first)) return BoardFileKind::Csv;
    const std::vector<Section> sections = sectionsOf(text);
    const Section& opening = sections.front();
    const bool phoneBook =
        lowered(opening.name) == "entry" && (opening.keys.count("name") || opening.keys.count("method"));
    return phoneBook ? BoardFileKind::PhoneBook : BoardFileKind::IniDirectory;
}

std::vector<std::string> directoryHeader() { return {"Name", "Address", "Port", "Comment", "Protocol"}; }

DirectoryRows directoryRows(std::string_view text, BoardFileKind kind) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    DirectoryRows result;
    for (const Section& section : sectionsOf(text)) {
        const bool phoneBook = kind == BoardFileKind::PhoneBook;
        const std::string name = phoneBook ? section.value("name") : section.name;
        const std::string how = section.value(phoneBook ? "method" : "connectiontype");
        const std::string line = lineOf(how, kind);
        if (line.empty()) {
            result.refused.push_back(
                {section.line, "a board reached by " + how + ": only telnet and raw TCP boards can be called"});
            continue;
        }
        result.rows.push_back({section.line,
                               {name, section.value("address"), section.value("port"),
                                phoneBook ? std::string() : section.value("comment"), line},
                               false});
    }
    return result;
}

}  // namespace vx::bbscsv
