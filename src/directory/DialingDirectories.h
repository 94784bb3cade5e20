#pragma once

#include <string_view>
#include <vector>

#include "directory/BBSCsv.h"

namespace vx::bbscsv {

// The dialing directories of other BBS terminals, read into the CSV import's rows:
// - an INI-style directory, one section per board named by the section ("[Name]", then keys
//   such as Address, Port, ConnectionType and Comment; ';' and '#' start comments);
// - a phone book of "[entry]" blocks with name=, address=, port= and method= keys.
// The kind is told by the content. Keys are read whatever their case; unknown keys and stray
// lines are passed over.
enum class BoardFileKind { Csv, IniDirectory, PhoneBook };

BoardFileKind boardFileKind(std::string_view text);

// The header every directory's rows come under.
std::vector<std::string> directoryHeader();

struct DirectoryRows {
    std::vector<CsvRow> rows;  // one per board, under directoryHeader(), at its section's line
    std::vector<Refusal> refused;
};

// The boards of an IniDirectory or PhoneBook text. Telnet boards become Telnet, raw TCP ones
// Raw; a board reached any other way (SSH, RLogin, a modem, a program) is refused with its kind.
DirectoryRows directoryRows(std::string_view text, BoardFileKind kind);

}  // namespace vx::bbscsv
