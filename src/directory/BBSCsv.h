#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "directory/BBSList.h"

namespace vx {

// The BBS list as a CSV file, for exchanging board lists with other terminals and spreadsheets:
// a header row, then one row per board with the columns Name, Address, Port, Sysop, Website,
// Comment and Protocol (Raw, Telnet or Auto; empty or missing is Raw). The file is UTF-8; the
// list's texts are Windows-1252 bytes and are converted both ways, and a row holding a character
// the code page cannot hold is refused. Fields are quoted where they hold a comma, a quote or a
// line break, quotes doubled.
namespace bbscsv {

inline constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

// One field row of a CSV text; `line` is where the row starts (1-based).
struct CsvRow {
    int line = 0;
    std::vector<std::string> fields;
    bool unterminatedQuote = false;
};

// Splits a CSV text into rows (RFC 4180: quoted fields may hold commas, doubled quotes and line
// breaks; CR LF, LF and CR end rows; blank lines are skipped). Any input gives rows.
std::vector<CsvRow> parseCsv(std::string_view text);

// The CSV text of every board of the list (the DEFAULT record is not a board).
std::string exportText(BBSList& list);

// A row refused on import, with the reason in a few words.
struct Refusal {
    int line = 0;
    std::string reason;

    friend bool operator==(const Refusal&, const Refusal&) = default;
};

struct ImportResult {
    std::vector<int> added;  // IDs of the boards added
    std::vector<Refusal> refused;
    std::string error;  // the file as a whole could not be used (no header, unreadable, ...)

    // The report for the user: how many were added, and every refused row with its reason.
    std::string report() const;
};

// Reads the rows of a CSV text into records made from the DEFAULT record. An address may be a
// telnet:// or atascii:// link, which sets the board's line. Rows without a name or an address,
// with a host that could never be dialled, a bad port, or naming a board already in the list
// (same address and port) are refused; the rest are added in one write.
ImportResult importText(BBSList& list, std::string_view text);

// The same from and to files. Export replaces the file atomically.
ImportResult importFile(BBSList& list, const std::string& path);
// "" when written, else what went wrong.
std::string exportFile(BBSList& list, const std::string& path);

}  // namespace bbscsv
}  // namespace vx
