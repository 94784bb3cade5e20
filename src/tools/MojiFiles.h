#pragma once

#include <string>

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
// written.
bool CreateSystemMojis(const std::string& folder, StatusReporter& status);

// The bytes of a 'Moji file: the code list in double quotes, then CR LF.
std::string mojiFileBytes(const std::string& codes);

}  // namespace vx
