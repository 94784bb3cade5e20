#pragma once

#include <string>
#include <vector>

#include "directory/BBSList.h"
#include "directory/BBSRecord.h"
#include "platform/Prompter.h"

namespace vx {

// The time-online report: one line per board with its number of connects, total time online
// and highest speed, in fixed columns.
namespace report {

inline constexpr const char* kHeader = "Num   Name                         #Connects      Online (h:mm)   MaxBPS";

struct Row {
    int number = 0;
    std::string name;
    int connects = 0;
    int secondsOnline = 0;
    int maxBps = 0;
};

// The line of a row, without its line end: the number in three digits, the name padded to 29,
// the connects right-aligned in 7, the time "h:mm" right-aligned in 8, the speed. A value wider
// than its column is kept whole and pushes the rest of the line along.
std::string line(const Row& row);

// The boards of the list, in number order: those with time online, or all with `showAll`. Every
// record of the list's map is read (hidden ones too); none becomes the list's current record.
std::vector<Row> build(BBSList& list, bool showAll);

// The report as text: each row's line and CR LF (no header).
std::string text(const std::vector<Row>& rows);
// The report file: the header, CR LF, the text, CR LF.
std::string fileText(const std::vector<Row>& rows);
// The same as CSV: a header row, then one row per board, the time as h:mm.
std::string csv(const std::vector<Row>& rows);

// Writes a report the user asked for, whole or not at all. A failure is told with the path and
// the reason; with `sayWhere` a written report is told too. True when written.
bool saveFile(const std::string& path, const std::string& contents, Prompter& prompter, bool sayWhere);

}  // namespace report
}  // namespace vx
