#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace vx {

class StatusReporter;

// The three system 'Mojis the check boxes are built from, each a file holding one quoted code list.
struct SystemMoji {
    const char* name;
    const char* codes;
};
inline constexpr SystemMoji kSystemMojis[] = {
    {"_chX1", "32;17;18;5;155;32;124;88;124;32;"},  // box top, then side, X, side: a ticked box
    {"_chX3", "155;32;26;18;3;155;"},               // line end, then the bottom of the box
    {"_chX2", "32;17;18;5;155;32;124;32;124;32;"},  // the same box without the X
};

// Writes the system 'Mojis into the folder (replacing older copies). False when one could not be
// written; the status line (and the log) then names those missing.
bool CreateSystemMojis(const std::string& folder, StatusReporter& status);

// The bytes of a 'Moji file: the code list in double quotes, then CR LF.
std::string mojiFileBytes(const std::string& codes);

// A text as a code list: each byte's decimal code followed by ";" ("AB" gives "65;66;").
std::string Cvt2ASCII(std::string_view text);

// The bytes a code list stands for, at most `maxCodes` of them. Each code ends at a ";" (the last
// may lack it); blanks and line breaks around a number are not part of it. A code that is no
// number from 0 to 255 (empty, a word, 300, -1) is skipped and counted.
struct CodeList {
    std::string bytes;
    int skipped = 0;
};
CodeList parseCodeList(std::string_view list, std::int64_t maxCodes = std::numeric_limits<std::int64_t>::max());

// The code list a file holds, as VXEditor loads it: a 'Moji file's first field (the text
// between its quotes); an ATASCII screen dump (a name ending in ".ata") the codes that draw it.
std::string mojiCodesOfFile(const std::string& name, std::string_view bytes);

}  // namespace vx
