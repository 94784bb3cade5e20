// Any file offered as a BBS list (CSV or another terminal's directory), imported into an empty
// list: no row is taken twice and none is made up (added and refused together never outnumber
// the lines), the list file stays
// whole (count, map and selection list agree when it is read again), every board added holds the
// texts of its row, and the list exported and imported into another empty list comes back the same.
// Each input starts from an empty list.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/AtomicFile.h"
#include "config/IniFile.h"
#include "directory/BBSCsv.h"
#include "directory/DialingDirectories.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace {

// One temporary folder for the whole run, removed when the process ends.
struct Folder {
    Folder() {
        vx::SettingsStore store;
        const std::string path = (temp / "template.ini").string();
        vx::BBSList list(store, prompter, clock, path);
        if (!list.CreateBBSListFile() || !list.LoadBBSList() || !list.DeleteBBSRecord("1")) std::abort();
        if (!vx::readWholeFile(path, emptyList)) std::abort();
    }
    vx::test::TempDir temp;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;
    std::string emptyList;  // the bytes of a list holding only its DEFAULT record
};

Folder& folder() {
    static Folder shared;
    return shared;
}

// A fresh empty list under `name`; its store goes with it, so no parsed copy outlives a run.
struct FreshList {
    explicit FreshList(const std::string& name) : path((folder().temp / name).string()) {
        if (store.replaceFile(path, folder().emptyList) != vx::SettingsStore::kOk) std::abort();
        list = std::make_unique<vx::BBSList>(store, folder().prompter, folder().clock, path);
        if (!list->LoadBBSList()) std::abort();
    }
    std::string path;
    vx::SettingsStore store;
    std::unique_ptr<vx::BBSList> list;
};

std::size_t linesOf(std::string_view text) {
    std::size_t lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
    return lines;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// A text as the list file can hold it: on one line, without blanks around it, at most 254 characters.
std::string asTheListHoldsIt(std::string_view text) {
    std::string line(text);
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    line = trimmed(line);
    if (line.size() > vx::IniFile::kMaxValueLength) line.resize(vx::IniFile::kMaxValueLength);
    return line;
}

// The rows of an export with each field trimmed, as an import reads them.
std::vector<std::vector<std::string>> rowsOf(std::string_view csv) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& row : vx::bbscsv::parseCsv(csv)) {
        rows.emplace_back();
        for (const auto& field : row.fields) rows.back().push_back(trimmed(field));
    }
    return rows;
}

// The list read again from its file by a new reader agrees with itself and with the one that wrote it.
void checkListFile(const FreshList& fresh) {
    vx::SettingsStore store;
    vx::BBSList again(store, folder().prompter, folder().clock, fresh.path);
    if (!again.LoadBBSList() || !again.CheckBBSCount(false)) std::abort();
    if (again.numBBS() != fresh.list->numBBS() || again.map() != fresh.list->map()) std::abort();
    if (again.entries().size() != static_cast<std::size_t>(again.numBBS())) std::abort();
}

// For a text in plain ASCII (the same bytes in UTF-8 and in the list), each board added holds
// the texts of its row as the list can hold them, found by the header as a reader of the file would.
void checkRecordsHoldTheirRows(std::string_view text, const vx::bbscsv::ImportResult& result, vx::BBSList& list) {
    if (!std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return;
    using vx::bbscsv::BoardFileKind;
    const BoardFileKind kind = vx::bbscsv::boardFileKind(text);
    std::vector<vx::bbscsv::CsvRow> rows;
    if (kind == BoardFileKind::Csv) {
        rows = vx::bbscsv::parseCsv(text);
    } else {
        rows.push_back({1, vx::bbscsv::directoryHeader(), false});
        for (auto& row : vx::bbscsv::directoryRows(text, kind).rows) rows.push_back(std::move(row));
    }
    std::map<std::string, std::size_t> columns;
    for (std::size_t i = 0; i < rows[0].fields.size(); ++i) {
        std::string name = trimmed(rows[0].fields[i]);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        columns.emplace(name, i);
    }
    const auto field = [&](const vx::bbscsv::CsvRow& row, const char* name) {
        const auto found = columns.find(name);
        return found == columns.end() || found->second >= row.fields.size()
                   ? std::string()
                   : asTheListHoldsIt(row.fields[found->second]);
    };
    std::set<int> refusedLines;
    for (const auto& refusal : result.refused) refusedLines.insert(refusal.line);
    std::size_t next = 0;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (refusedLines.count(rows[r].line)) continue;
        if (next >= result.added.size()) std::abort();
        const vx::BBSRecord record = list.recordOf(std::to_string(result.added[next++]));
        if (record.BBSname != field(rows[r], "name") || record.Sysop != field(rows[r], "sysop") ||
            record.Website != field(rows[r], "website") || record.Comment != field(rows[r], "comment"))
            std::abort();
    }
    if (next != result.added.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    folder().prompter.messages.clear();
    FreshList first("first.ini");
    const vx::bbscsv::ImportResult result = vx::bbscsv::importText(*first.list, text);
    if (!result.error.empty()) {
        if (!result.added.empty() || first.list->numBBS() != 0) std::abort();
        return 0;
    }
    // A CSV file's first line is its header; a directory's boards may start on its first line.
    const bool csv = vx::bbscsv::boardFileKind(text) == vx::bbscsv::BoardFileKind::Csv;
    if (result.added.size() + result.refused.size() > linesOf(text) - (csv ? 1 : 0)) std::abort();
    if (first.list->numBBS() != static_cast<int>(result.added.size())) std::abort();
    checkListFile(first);
    checkRecordsHoldTheirRows(text, result, *first.list);

    const std::string exported = vx::bbscsv::exportText(*first.list);
    FreshList second("second.ini");
    const vx::bbscsv::ImportResult again = vx::bbscsv::importText(*second.list, exported);
    if (!again.refused.empty() || again.added.size() != result.added.size()) std::abort();
    if (rowsOf(vx::bbscsv::exportText(*second.list)) != rowsOf(exported)) std::abort();
    return 0;
}
