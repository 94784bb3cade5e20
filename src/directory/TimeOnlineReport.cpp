#include "directory/TimeOnlineReport.h"

#include "base/AtomicFile.h"
#include "base/Formats.h"
#include "config/SettingsStore.h"

namespace vx::report {
namespace {

std::string padRight(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string padLeft(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string threeDigits(int number) {
    std::string digits = std::to_string(number);
    if (number >= 0 && digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return digits;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string line(const Row& row) {
    return threeDigits(row.number) + "   " + padRight(row.name, 29) + padLeft(std::to_string(row.connects), 7) +
           std::string(8, ' ') + padLeft(FormatOnlineTime(row.secondsOnline, true, false), 8) + std::string(8, ' ') +
           std::to_string(row.maxBps);
}

std::vector<Row> build(BBSList& list, bool showAll) {
    // Every record of the map, also those hidden from the selection list: their calls count.
    const std::string& map = list.map();
    std::vector<Row> rows;
    for (int id = 1; id <= static_cast<int>(map.size()); ++id) {
        if (map[static_cast<std::size_t>(id - 1)] != '1') continue;
        const BBSList::Statistics record = list.statisticsOf(id);
        if (!showAll && record.totalTime < 1) continue;
        rows.push_back({id, record.name, record.connects, record.totalTime, record.maxBaud});
    }
    return rows;
}

std::string text(const std::vector<Row>& rows) {
    std::string out;
    for (const Row& row : rows) out += line(row) + "\r\n";
    return out;
}

std::string fileText(const std::vector<Row>& rows) { return std::string(kHeader) + "\r\n" + text(rows) + "\r\n"; }

std::string csv(const std::vector<Row>& rows) {
    std::string out = "Num,Name,Connects,Online (h:mm),MaxBPS\r\n";
    for (const Row& row : rows)
        out += std::to_string(row.number) + "," + csvField(row.name) + "," + std::to_string(row.connects) + "," +
               FormatOnlineTime(row.secondsOnline, true, false) + "," + std::to_string(row.maxBps) + "\r\n";
    return out;
}

bool saveFile(const std::string& path, const std::string& contents, Prompter& prompter, bool sayWhere) {
    const int status = writeFileAtomically(path, contents);
    if (status != FileStatus::kOk) {
        prompter.message("Could not write " + path + "\r(" + SettingsStore::statusText(status) + ")",
                         "Time Online Reports", MessageIcon::Exclamation);
        return false;
    }
    if (sayWhere) prompter.message("Report saved to:\r" + path, "Time Online Reports", MessageIcon::Information);
    return true;
}

}  // namespace vx::report
