#include "directory/BBSCsv.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "base/AtomicFile.h"
#include "base/CodePage1252.h"
#include "base/HostAddress.h"
#include "directory/BBSRecordKeys.h"
#include "directory/DialingDirectories.h"

namespace vx::bbscsv {
namespace {

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// A field as the list file can hold it: on one line (a line break inside a quoted field is a
// blank), then trimmed, so a name of line breaks alone counts as no name.
std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return trim(text);
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A row's fields from UTF-8 into the list's Windows-1252 bytes. A character the code page cannot
// hold refuses the row, naming the character and its column: it is never replaced.
std::string rowToListBytes(CsvRow& row, const std::vector<std::string>& header) {
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        const auto characters = cp1252::fromUtf8(row.fields[i]);
        if (!characters) return "the text is not UTF-8";  // cannot happen inside a UTF-8 file
        if (const auto bytes = cp1252::bytesOf(*characters)) {
            row.fields[i] = *bytes;
            continue;
        }
        const std::string column =
            i < header.size() && !header[i].empty() ? header[i] : "column " + std::to_string(i + 1);
        return "the character " + cp1252::codePointName(*cp1252::firstUnheld(*characters)) + " in the " + column +
               " cannot be kept in the BBS list (Windows-1252)";
    }
    return {};
}

std::string csvField(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
    std::string out = "\"";
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

const char* columnOf(const BBSRecordKey::Field& field) { return bbsRecordKey(field).csvColumn; }

std::string keyOf(const std::string& host, int port) { return lower(host) + ":" + std::to_string(port); }

// The Address column as the import reads it back: a host that would not read as itself (one
// with a single colon would lose its last part as a port) goes in brackets.
std::string addressField(const std::string& host) {
    const auto parsed = parseHostAndPort(host);
    const auto* address = std::get_if<HostAndPort>(&parsed);
    if (address && address->host == host && !address->port) return host;
    return "[" + host + "]";
}

// The rows of a CSV file, header first; another terminal's directory gives its boards under a
// header of its own, and the entries that are no board are refused at once.
std::vector<CsvRow> rowsOfBoardFile(std::string_view text, ImportResult& result) {
    const BoardFileKind kind = boardFileKind(text);
    if (kind == BoardFileKind::Csv) return parseCsv(text);
    DirectoryRows directory = directoryRows(text, kind);
    result.refused = std::move(directory.refused);
    std::vector<CsvRow> rows{CsvRow{1, directoryHeader(), false}};
    std::move(directory.rows.begin(), directory.rows.end(), std::back_inserter(rows));
    return rows;
}

}  // namespace

std::vector<CsvRow> parseCsv(std::string_view text) {
    std::vector<CsvRow> rows;
    CsvRow row;
    std::string field;
    bool inQuotes = false;
    bool fieldStarted = false;
    int line = 1;
    row.line = 1;
    const auto endField = [&] {
        row.fields.push_back(std::move(field));
        field.clear();
        fieldStarted = false;
    };
    const auto endRow = [&] {
        const bool blank = row.fields.size() == 1 && row.fields[0].empty() && !row.unterminatedQuote;
        if (!blank) rows.push_back(std::move(row));
        row = CsvRow{};
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == '"' && !fieldStarted) {
            inQuotes = true;
            fieldStarted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endField();
            endRow();
            row.line = ++line;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (inQuotes) row.unterminatedQuote = true;
    if (!field.empty() || fieldStarted || !row.fields.empty() || row.unterminatedQuote) {
        endField();
        endRow();
    }
    return rows;
}

std::string exportText(BBSList& list) {
    std::string text;
    for (const BBSRecordKey& row : bbsRecordKeys())
        if (row.csvColumn) text += (text.empty() ? "" : ",") + std::string(row.csvColumn);
    text += "\r\n";
    const std::string& map = list.map();
    for (int id = 1; id <= static_cast<int>(map.size()); ++id) {
        if (map[static_cast<std::size_t>(id - 1)] != '1') continue;
        const BBSRecord record = list.recordOf(std::to_string(id));
        std::string line;
        for (const BBSRecordKey& row : bbsRecordKeys()) {
            if (!row.csvColumn) continue;
            const std::string field = row.field == BBSRecordKey::Field(&BBSRecord::URL) ? addressField(record.URL)
                                                                                        : plainRecordValue(row, record);
            line += (line.empty() ? "" : ",") + csvField(cp1252::utf8Of(field));
        }
        text += line + "\r\n";
    }
    return text;
}

std::string ImportResult::report() const {
    if (!error.empty()) return "Nothing was imported: " + error;
    std::string text = "Imported " + std::to_string(added.size()) + (added.size() == 1 ? " board." : " boards.");
    if (refused.empty()) return text;
    text += "\r" + std::to_string(refused.size()) + (refused.size() == 1 ? " row was" : " rows were") + " refused:";
    for (const Refusal& r : refused) text += "\r  line " + std::to_string(r.line) + ": " + r.reason;
    return text;
}

ImportResult importText(BBSList& list, std::string_view text) {
    ImportResult result;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    // A file that is not UTF-8 at all is an older export in the list's own code page: its bytes
    // are taken as they are.
    const bool utf8 = cp1252::fromUtf8(text).has_value();
    std::vector<CsvRow> rows = rowsOfBoardFile(text, result);
    if (rows.empty()) {
        result.error = "the file holds no rows.";
        return result;
    }
    std::vector<std::string> header;
    for (const std::string& name : rows[0].fields) header.push_back(trim(name));
    std::map<std::string, std::size_t> columns;
    for (std::size_t i = 0; i < rows[0].fields.size(); ++i) columns.emplace(lower(trim(rows[0].fields[i])), i);
    if (!columns.count(lower(columnOf(&BBSRecord::BBSname))) || !columns.count(lower(columnOf(&BBSRecord::URL)))) {
        result.error = "the first row must name the columns, with at least Name and Address.";
        return result;
    }
    const auto column = [&](const CsvRow& row, const char* name) -> std::string {
        const auto found = columns.find(lower(name));
        if (found == columns.end() || found->second >= row.fields.size()) return {};
        return oneLine(row.fields[found->second]);
    };

    // Boards already in the list, by address and port, so an import run twice adds nothing new.
    std::set<std::string> known;
    const std::string& map = list.map();
    for (int id = 1; id <= static_cast<int>(map.size()); ++id)
        if (map[static_cast<std::size_t>(id - 1)] == '1') {
            const BBSRecord record = list.recordOf(std::to_string(id));
            known.insert(keyOf(record.URL, record.Port));
        }
    const BBSRecord defaults = list.recordOf(BBSList::kDefaultId);
    // Free in the map is not enough: an ID whose section still holds a record is never written over.
    int room = list.freeIdsInFile();

    std::vector<BBSRecord> accepted;
    std::vector<int> acceptedLines;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        CsvRow& row = rows[r];
        const auto refuse = [&](std::string reason) { result.refused.push_back({row.line, std::move(reason)}); };
        if (row.unterminatedQuote) {
            refuse("a quoted field is not closed");
            continue;
        }
        if (const std::string problem = utf8 ? rowToListBytes(row, header) : std::string(); !problem.empty()) {
            refuse(problem);
            continue;
        }
        const std::string name = column(row, columnOf(&BBSRecord::BBSname));
        const std::string address = column(row, columnOf(&BBSRecord::URL));
        const std::string portText = column(row, columnOf(&BBSRecord::Port));
        if (name.empty()) {
            refuse("no name");
            continue;
        }
        if (address.empty()) {
            refuse("no address");
            continue;
        }
        // A link names the line too: telnet:// is Telnet, atascii:// Raw.
        const auto link = splitLink(address);
        if (const auto* problem = std::get_if<std::string>(&link)) {
            refuse(*problem);
            continue;
        }
        const LinkParts& parts = std::get<LinkParts>(link);
        const auto parsed = parseHostAndPort(parts.address);
        if (const auto* problem = std::get_if<std::string>(&parsed)) {
            refuse(*problem);
            continue;
        }
        const HostAndPort& host = std::get<HostAndPort>(parsed);
        if (const std::string problem = hostProblem(host.host); !problem.empty()) {
            refuse(problem);
            continue;
        }
        int port = host.port.value_or(23);
        if (!portText.empty()) {
            const auto number = parsePortNumber(portText);
            if (!number) {
                refuse("bad port '" + portText + "' (1 to 65535)");
                continue;
            }
            if (host.port && *host.port != *number) {
                refuse("the address says port " + std::to_string(*host.port) + ", the Port column " + portText);
                continue;
            }
            port = *number;
        }
        const std::string protocolText = column(row, columnOf(&BBSRecord::Protocol));
        if (!protocolText.empty() && protocolName(protocolText) == "Raw" && lower(trim(protocolText)) != "raw") {
            refuse("bad protocol '" + protocolText + "' (Raw, Telnet or Auto)");
            continue;
        }
        if (parts.protocol && !protocolText.empty() && protocolName(protocolText) != *parts.protocol) {
            refuse("the address says " + *parts.protocol + ", the Protocol column " + protocolText);
            continue;
        }
        if (!known.insert(keyOf(host.host, port)).second) {
            refuse("already in the list: " + host.host + ":" + std::to_string(port));
            continue;
        }
        if (room == 0) {
            refuse("the list is full (255 boards)");
            continue;
        }
        --room;
        // Every column is read as the list file's value would be; the address and port are then
        // the ones the address column gave.
        BBSRecord record = defaults;
        for (const BBSRecordKey& key : bbsRecordKeys())
            if (key.csvColumn) loadRecordValue(key, column(row, key.csvColumn), record);
        record.URL = host.host;
        if (parts.protocol) record.Protocol = *parts.protocol;
        record.Port = port;
        record.PortList = std::to_string(port);
        record.Permanent = false;
        record.Connects = 0;
        record.TotalTime = 0;
        record.MaxBaud = 0;
        record.LastCall.clear();
        record.LastEdited.clear();
        record.LastTimeOnline.clear();
        accepted.push_back(std::move(record));
        acceptedLines.push_back(row.line);
    }
    std::stable_sort(result.refused.begin(), result.refused.end(),
                     [](const Refusal& a, const Refusal& b) { return a.line < b.line; });
    if (accepted.empty()) return result;
    const auto ids = list.addRecordsAside(accepted);
    if (!ids) {
        result.error = "the BBS list could not be written.";
        return result;
    }
    result.added = *ids;
    return result;
}

ImportResult importFile(BBSList& list, const std::string& path) {
    ImportResult result;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        result.error = "cannot read " + path + " (" + error.message() + ").";
        return result;
    }
    if (size > kMaxFileBytes) {
        result.error = path + " is larger than 16 MiB; that is no BBS list.";
        return result;
    }
    std::string text;
    if (!readWholeFile(path, text)) {
        result.error = "cannot read " + path + ".";
        return result;
    }
    return importText(list, text);
}

std::string exportFile(BBSList& list, const std::string& path) {
    const int status = writeFileAtomically(path, exportText(list));
    if (status == FileStatus::kOk) return {};
    return "cannot write " + path + " (" + SettingsStore::statusText(status) + ").";
}

}  // namespace vx::bbscsv
