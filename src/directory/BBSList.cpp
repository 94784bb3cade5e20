#include "directory/BBSList.h"

#include <algorithm>
#include <cctype>

#include "base/Formats.h"
#include "base/Version.h"
#include "config/IniFile.h"
#include "config/Scrambler.h"
#include "directory/BBSRecordKeys.h"
#include "directory/Macros.h"

namespace vx {
namespace {

std::int32_t clampToPort(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, 65535));
}

const std::string kType = "S";
const std::string kSystem = "System";
const std::string kConfig = "Config";
const std::string kIndex = "BBS";

// The keys of [Config] that make the list: the count of records and the map of IDs in use.
const std::string kNumBBS = "NumBBS";
const std::string kBBSMap = "BBSMap";

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

const LocalDateTime kZeroDate{};

}  // namespace

BBSList::BBSList(SettingsStore& store, Prompter& prompter, const Clock& clock, std::string path)
    : m_store(store), m_prompter(prompter), m_clock(clock), m_path(std::move(path)) {}

std::string BBSList::read(const std::string& section, const std::string& key, const std::string& missing) {
    std::string value;
    m_store.ReadSettingValue(m_path, section, key, kType, missing, value);
    return value;
}

void BBSList::write(const std::string& section, const std::string& key, const std::string& value) {
    // Writes run inside a batch, whose commit reports the outcome.
    m_store.WriteSettingValue(m_path, section, key, kType, value);
}

void BBSList::reportWriteFailure(int status, const std::string& notDone) {
    m_prompter.message(
        "Unable to write the BBS list file:\r" + m_path + "\r(" + SettingsStore::statusText(status) + ")\r\r" + notDone,
        "", MessageIcon::Exclamation);
}

std::string BBSList::SetMapFlag(std::string map, int n, bool flag) {
    if (n >= 1 && n <= static_cast<int>(map.size())) map[static_cast<std::size_t>(n - 1)] = flag ? '1' : '0';
    return map;
}

int BBSList::FirstFreeID(const std::string& map) { return FirstFreeID(map, {}); }

int BBSList::FirstFreeID(const std::string& map, const std::function<bool(int id)>& taken) {
    for (int n = 1; n <= kMaxRecords && n <= static_cast<int>(map.size()); ++n)
        if (map[static_cast<std::size_t>(n - 1)] == '0' && !(taken && taken(n))) return n;
    return 0;
}

int BBSList::firstFreeIdInFile() {
    return FirstFreeID(m_map, [this](int id) { return m_store.sectionHasValues(m_path, std::to_string(id)); });
}

int BBSList::freeIdsInFile() {
    int free = 0;
    for (int n = 1; n <= kMaxRecords; ++n)
        if (m_map[static_cast<std::size_t>(n - 1)] == '0' && !m_store.sectionHasValues(m_path, std::to_string(n)))
            ++free;
    return free;
}

int BBSList::ParsePortList(const std::string& text, std::array<std::string, 10>& ports) {
    ports.fill({});
    std::string list = trim(text);
    if (!list.empty() && std::isdigit(static_cast<unsigned char>(list.back()))) list += ' ';
    int count = 0;
    std::string digits;
    for (char c : list) {
        if (count == static_cast<int>(ports.size())) break;
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (!digits.empty()) {
            ports[static_cast<std::size_t>(count++)] = std::to_string(parseLeadingNumber(digits));
            digits.clear();
        }
    }
    return std::max(count, 1);
}

BBSRecord BBSList::defaultRecord() const {
    BBSRecord record;
    record.BBSname = "Default BBS Record";
    record.URL = "{insert URL here}";
    record.Port = 23;
    record.PortList = "8888 8889 9000";
    record.Sysop = "{BBS Sysop name}";
    record.Created = formatGeneralDateTime(m_clock.now());
    record.LastCall = formatGeneralDateTime(kZeroDate);
    record.LastEdited = formatGeneralDateTime(kZeroDate);
    record.Website = "https://www.example.org/";
    record.Comment =
        "DEFAULT BBS RECORD - DO NOT DELETE - Values in MOST of these fields will be copied to the new BBS record when "
        "it is created!  Example set any MACROS that you want to be global for all BBS's in the table below.";
    record.BaudSim = true;
    record.Permanent = true;
    record.Signature = "<your signature>";
    record.macros[0].text = "yourlogin<cr>";
    record.macros[1].text = "yourpassword<cr>";
    return record;
}

bool BBSList::writeNewRecord(const std::string& id, const BBSRecord& record, bool macros) {
    SettingsStore::Batch batch(m_store, m_path);
    for (const BBSRecordKey& row : bbsRecordKeys())
        if (row.inNewFile && isMacroKey(row) == macros) write(id, row.key, savedRecordValue(row, record));
    stamp();
    return commit(batch) == SettingsStore::kOk;
}

bool BBSList::CreateBBSListFile() {
    const std::string stamp = formatStampDateTime(m_clock.now());
    const std::string newLine = "\r\n";
    std::string text;
    text += std::string(";") + kProgramTitle + " BBS List File" + newLine;
    text += ";" + newLine;
    text += ";    File created by: Version " + versionWithBuild() + newLine;
    text += ";    File created on: " + stamp + newLine;
    text += " " + newLine;
    text += "[System]" + newLine;
    text += "LastEdited=" + stamp + newLine;
    text += "LastVersion=" + versionWithBuild() + newLine;
    text += " " + newLine;
    text += "[Config]" + newLine;
    text += " " + newLine;
    text += "[BBS]" + newLine;
    text += " " + newLine;
    if (m_store.replaceFile(m_path, text) != SettingsStore::kOk) return false;

    BBSRecord record = defaultRecord();
    if (!writeNewRecord(kDefaultId, record, false) || !writeNewRecord(kDefaultId, record, true)) return false;

    // The sample record is the demo board that comes with the program, so a first connection
    // works without the internet.
    record.BBSname = "Vexterm Demo BBS";
    record.URL = "127.0.0.1";
    record.Sysop = "The Vexterm developers";
    record.Website = "https://www.example.org/";
    record.Comment = "The demo board that comes with Vexterm: start vexterm-demo-bbs, then connect.";
    record.Port = 6502;
    record.PortList = "6502 23 8889";
    if (!writeNewRecord("1", record, false)) return false;

    SettingsStore::Batch batch(m_store, m_path);
    write(kConfig, kNumBBS, "1");
    m_map = SetMapFlag(std::string(kMaxRecords, '0'), 1, true);
    write(kConfig, kBBSMap, m_map);
    write(kIndex, "1", record.BBSname);
    const bool committed = commit(batch) == SettingsStore::kOk;
    return committed && writeNewRecord("1", record, true);
}

bool BBSList::LoadBBSList() {
    const std::string title = "Critical ERROR - Invalid BBSFile Entry!";
    if (const int status = m_store.fileStatus(m_path); status != SettingsStore::kOk) {
        m_prompter.message(title + "\r\r" + m_path + "\r(" + SettingsStore::statusText(status) + ")", "",
                           MessageIcon::Critical);
        return false;
    }
    const std::string count = read(kConfig, kNumBBS, "");
    // The map is 255 characters, one longer than a profile read returns: read it whole, or the
    // flag of ID 255 would be lost and a new record could take that ID over an existing one.
    std::string map;
    m_store.readFullValue(m_path, kConfig, kBBSMap, "", map);
    // Deleting the last record leaves NumBBS 0 and a map of zeros: a directory with no boards,
    // from which the user adds the next one.
    const bool emptyDirectory = isWholeNumberText(count) && parseLeadingNumber(count) == 0 && !map.empty() &&
                                map.find_first_not_of('0') == std::string::npos;
    if (!emptyDirectory && (!isWholeNumberText(count) || parseLeadingNumber(count) < 1)) {
        m_prompter.message(title + "\r\r" + "NumBBS=0", "", MessageIcon::Critical);
        return false;
    }
    if (map.empty()) {
        m_prompter.message(title + "\r\r" + "BBS Map is empty!", "", MessageIcon::Critical);
        return false;
    }
    m_numBBS = clampToInt16(parseLeadingNumber(count));
    // A hand-edited map of another length is read as far as it goes; the rest is free, and so is
    // a flag that is neither 0 nor 1, which the file could not keep as it stands (a blank at the
    // end of the line is trimmed away).
    map.resize(kMaxRecords, '0');
    std::replace_if(
        map.begin(), map.end(), [](char flag) { return flag != '1'; }, '0');
    m_map = map;
    FillBBSList();
    return true;
}

void BBSList::FillBBSList() {
    m_entries.clear();
    for (int n = 1; n <= kMaxRecords; ++n) {
        if (m_map[static_cast<std::size_t>(n - 1)] != '1') continue;
        const std::string id = std::to_string(n);
        const std::string name = read(kIndex, id, "Invalid");
        if (readKeys(id, {&BBSRecord::HideFromList}).HideFromList) continue;
        m_entries.push_back({n, name});
    }
}

bool BBSList::LoadBBSRecord(const std::string& id) {
    const std::string section = trim(id);
    if (section.empty() || section == "0") {
        m_prompter.message("No BBS Selected!", "", MessageIcon::Information);
        return false;
    }
    makeCurrent(section, readRecord(section));
    return true;
}

BBSRecord BBSList::readRecord(const std::string& section) {
    BBSRecord record;
    for (const BBSRecordKey& row : bbsRecordKeys())
        if (row.loaded) loadRecordValue(row, read(section, row.key, row.missing), record);
    return record;
}

BBSRecord BBSList::readKeys(const std::string& section, std::initializer_list<BBSRecordKey::Field> fields) {
    BBSRecord record;
    for (const auto& field : fields) {
        const BBSRecordKey& row = bbsRecordKey(field);
        loadRecordValue(row, read(section, row.key, row.missing), record);
    }
    return record;
}

void BBSList::makeCurrent(const std::string& section, BBSRecord record) {
    for (std::size_t n = 0; n < record.macros.size(); ++n) {
        const StoredMacro& macro = record.macros[n];
        m_activeMacros[n] = ExpandMacro(macro.hidden == "1" ? Scrambler::UnscrambleText(macro.text) : macro.text);
    }
    m_record = std::move(record);
    m_recordId = section;
    m_portCount = ParsePortList(m_record.PortList, m_ports);
}

void BBSList::useUnsavedRecord(const std::string& host, int port) {
    BBSRecord record;
    record.BBSname = host;
    record.URL = host;
    record.Port = clampToPort(port);
    m_record = std::move(record);
    m_recordId.clear();
    m_activeMacros.fill({});
    m_portCount = ParsePortList(m_record.PortList, m_ports);
}

void BBSList::writeRecordFields(const std::string& section, const BBSRecord& record) {
    if (section != kDefaultId) write(kIndex, section, record.BBSname);
    for (const BBSRecordKey& row : bbsRecordKeys())
        if (writtenBySave(row, record, false, [&] { return !read(section, row.key, "").empty(); }))
            write(section, row.key, savedRecordValue(row, record));
}

bool BBSList::SaveBBSRecord(const std::string& id, const BBSRecord& record, bool askAboutMacros,
                            std::function<void()> done) {
    return SaveBBSRecord(id, record, askAboutMacros, [done = std::move(done)](bool) {
        if (done) done();
    });
}

bool BBSList::SaveBBSRecord(const std::string& id, const BBSRecord& record, bool askAboutMacros,
                            std::function<void(bool written)> done) {
    const std::string section = trim(id);
    const BBSRecord counted = countedRecord(section);
    BBSRecord edited = record;
    copyCallStatistics(counted, edited);
    SettingsStore::Batch batch(m_store, m_path);
    writeRecordFields(section, edited);
    if (!askAboutMacros) writeMacros(section, edited);
    stamp();
    if (const int status = commit(batch); status != SettingsStore::kOk) {
        reportWriteFailure(status, "The BBS record was not saved.");
        if (done) done(false);
        return false;
    }
    // Edits of the board that is current (selected, perhaps being called) take effect at once:
    // its macros, switches and address are read back as the file now holds them.
    if (!m_recordId.empty() && section == m_recordId) {
        BBSRecord saved = readRecord(section);
        copyCallStatistics(counted, saved);
        makeCurrent(section, std::move(saved));
    }
    if (!askAboutMacros) {
        if (done) done(true);
        return true;
    }
    askToCopyMacros(section, edited, std::move(done));
    return true;
}

void BBSList::askToCopyMacros(const std::string& section, const BBSRecord& record,
                              std::function<void(bool written)> done) {
    m_prompter.askYesNo("Copy Macros?", "", MessageIcon::Question,
                        [this, section, macros = record.macros, done = std::move(done)](bool yes) {
                            bool written = true;
                            if (yes) {
                                SettingsStore::Batch batch(m_store, m_path);
                                BBSRecord withMacros;
                                withMacros.macros = macros;
                                writeMacros(section, withMacros);
                                stamp();
                                if (const int status = commit(batch); status != SettingsStore::kOk) {
                                    reportWriteFailure(status, "The macros were not copied.");
                                    written = false;
                                }
                            }
                            if (done) done(written);
                        });
}

void BBSList::writeMacros(const std::string& section, const BBSRecord& record) {
    for (const BBSRecordKey& row : bbsRecordKeys())
        if (writtenBySave(row, record, true, {})) write(section, row.key, savedRecordValue(row, record));
}

void BBSList::writeCountAndMap(int numBBS, const std::string& map, bool leadingBlank) {
    write(kConfig, kNumBBS, leadingBlank ? formatLeadingBlank(numBBS) : std::to_string(numBBS));
    write(kConfig, kBBSMap, map);
}

void BBSList::reportListFull() {
    m_prompter.message("All 255 BBS records are in use. Delete a record before adding a new one.", "",
                       MessageIcon::Exclamation);
}

std::optional<int> BBSList::addFrom(const BBSRecord& source, bool isCopy, bool makeItCurrent,
                                    std::function<void(int id)> afterMacros) {
    const int id = firstFreeIdInFile();
    if (id == 0) {
        reportListFull();
        return std::nullopt;
    }
    const std::string section = std::to_string(id);
    BBSRecord record = source;
    record.BBSname = "New BBS - " + section;
    record.Created = formatGeneralDateTime(m_clock.now());
    record.LastCall.clear();
    record.Comment.clear();
    if (isCopy)
        record.Connects = 0;
    else
        record.LastEdited.clear();

    // The count, the map and the record land in the file together or not at all; only the
    // macros of a copy wait for the user's answer.
    // A count read as the largest the file can hold stays there, so the file reads back as written.
    const int numBBS = clampToInt16(std::int64_t{m_numBBS} + 1);
    const std::string map = SetMapFlag(m_map, id, true);
    SettingsStore::Batch batch(m_store, m_path);
    writeCountAndMap(numBBS, map, true);
    // A save leaves the statistics alone, but a copy keeps its source's time online.
    if (isCopy)
        for (const BBSRecordKey& row : bbsRecordKeys())
            if (row.written == BBSRecordKey::Written::StatisticsCopy)
                write(section, row.key, plainRecordValue(row, record));
    writeRecordFields(section, record);
    if (!isCopy) writeMacros(section, record);
    stamp();
    if (const int status = commit(batch); status != SettingsStore::kOk) {
        reportWriteFailure(status, isCopy ? "The copy was not made." : "The new BBS record was not added.");
        return std::nullopt;
    }
    m_numBBS = numBBS;
    m_map = map;
    m_listChanged = true;
    if (makeItCurrent) makeCurrent(section, record);
    if (isCopy) {
        askToCopyMacros(section, record, [this, id, section, afterMacros = std::move(afterMacros)](bool) {
            if (m_recordId == section) LoadBBSRecord(section);
            if (afterMacros) afterMacros(id);
        });
    }
    return id;
}

std::optional<int> BBSList::addRecord() {
    // The current record stays until the new one is in the file.
    return addFrom(readRecord(kDefaultId), false, true);
}

std::optional<int> BBSList::copyRecord() {
    const BBSRecord source = m_record;
    return addFrom(source, true, true);
}

std::optional<int> BBSList::addRecordAside() { return addFrom(readRecord(kDefaultId), false, false); }

std::optional<int> BBSList::copyRecordAside(const BBSRecord& source, std::function<void(int id)> copied) {
    return addFrom(source, true, false, std::move(copied));
}

std::optional<std::vector<int>> BBSList::addRecordsAside(const std::vector<BBSRecord>& records) {
    if (records.empty()) return std::vector<int>{};
    // The batch writes whatever it holds when it closes, so a list without room for every record
    // is refused before anything goes into it.
    if (const int room = freeIdsInFile(); room < static_cast<int>(records.size())) {
        if (room == 0)
            reportListFull();
        else
            m_prompter.message("There is room for " + std::to_string(room) + " more BBS records, not " +
                                   std::to_string(records.size()) + ". No BBS record was added.",
                               "", MessageIcon::Exclamation);
        return std::nullopt;
    }
    const BBSRecord defaults = readRecord(kDefaultId);
    std::string map = m_map;
    int numBBS = m_numBBS;
    std::vector<int> ids;
    SettingsStore::Batch batch(m_store, m_path);
    for (const BBSRecord& source : records) {
        const int id = FirstFreeID(map, [this](int n) { return m_store.sectionHasValues(m_path, std::to_string(n)); });
        BBSRecord record = source;
        record.macros = defaults.macros;
        record.Created = formatGeneralDateTime(m_clock.now());
        map = SetMapFlag(map, id, true);
        numBBS = clampToInt16(std::int64_t{numBBS} + 1);
        writeRecordFields(std::to_string(id), record);
        writeMacros(std::to_string(id), record);
        ids.push_back(id);
    }
    writeCountAndMap(numBBS, map, true);
    stamp();
    if (const int status = commit(batch); status != SettingsStore::kOk) {
        reportWriteFailure(status, "No BBS record was added.");
        return std::nullopt;
    }
    m_numBBS = numBBS;
    m_map = map;
    m_listChanged = true;
    FillBBSList();
    return ids;
}

std::string BBSList::replaceWithRawText(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    const std::string trimmed =
        first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    const IniFile parsed = IniFile::parse(trimmed);
    const auto count = parsed.find(kConfig, kNumBBS);
    const auto map = parsed.find(kConfig, kBBSMap);
    if (!count || !isWholeNumberText(*count) || parseLeadingNumber(*count) < 0)
        return "[Config] NumBBS must be a number of records.";
    if (!map || map->size() != static_cast<std::size_t>(kMaxRecords) ||
        map->find_first_not_of("01") != std::string::npos)
        return "[Config] BBSMap must be the map of IDs in use: 255 characters, each 0 or 1.";
    if (parseLeadingNumber(*count) == 0 && map->find('1') != std::string::npos)
        return "[Config] NumBBS is 0 but BBSMap marks records in use.";
    if (const int status = m_store.replaceFile(m_path, trimmed + "\r\n"); status != SettingsStore::kOk)
        return "The BBS list file could not be written (" + SettingsStore::statusText(status) + ").";
    LoadBBSList();
    return {};
}

BBSRecord BBSList::recordOf(const std::string& id) { return readRecord(trim(id)); }

BBSRecord BBSList::countedRecord(const std::string& id) {
    const std::string section = trim(id);
    return !m_recordId.empty() && section == m_recordId ? m_record : readRecord(section);
}

BBSList::Summary BBSList::summaryOf(int id) {
    const std::string section = std::to_string(id);
    const auto text = [&](const BBSRecordKey::Field& field) {
        return trim(read(section, bbsRecordKey(field).key, ""));
    };
    return {trim(read(kIndex, section, "Invalid")), text(&BBSRecord::URL), text(&BBSRecord::Sysop)};
}

BBSList::Statistics BBSList::statisticsOf(int id) {
    const BBSRecord record = readKeys(
        std::to_string(id), {&BBSRecord::BBSname, &BBSRecord::Connects, &BBSRecord::TotalTime, &BBSRecord::MaxBaud});
    return {record.BBSname, record.Connects, record.TotalTime, record.MaxBaud};
}

bool BBSList::holds(const std::string& id) const {
    const std::string section = trim(id);
    if (!isWholeNumberText(section)) return false;
    const auto number = parseLeadingNumber(section);
    return number >= 1 && number <= kMaxRecords && m_map[static_cast<std::size_t>(number - 1)] == '1';
}

bool BBSList::DeleteBBSRecord(const std::string& id) {
    std::string upper = trim(id);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper == "DEFAULT") {
        m_prompter.message("Cannot delete " + id + " record.", "", MessageIcon::Information);
        return false;
    }
    const std::string section = trim(id);
    SettingsStore::Batch batch(m_store, m_path);
    m_store.DeleteSettingValue(m_path, kIndex, section);
    for (const BBSRecordKey& row : bbsRecordKeys()) m_store.DeleteSettingValue(m_path, section, row.key);
    // Only an ID that was in use changes the count, so NumBBS cannot drift from the map.
    const auto number = parseLeadingNumber(section);
    const bool inUse = holds(section);
    int numBBS = m_numBBS;
    std::string map = m_map;
    if (inUse) {
        map = SetMapFlag(map, static_cast<int>(number), false);
        // A hand-edited count below the map's would reach 0, a list that no longer loads, while
        // boards remain: it never goes below the boards the map still marks.
        numBBS = std::max(numBBS - 1, static_cast<int>(std::count(map.begin(), map.end(), '1')));
        writeCountAndMap(numBBS, map, true);
    }
    stamp();
    if (const int status = commit(batch); status != SettingsStore::kOk) {
        reportWriteFailure(status, "The BBS record was not deleted.");
        return false;
    }
    m_numBBS = numBBS;
    m_map = map;
    FillBBSList();
    m_listChanged = true;
    return true;
}

bool BBSList::UpdateBBSStats(const std::string& id, bool disconnecting, const std::string& timeOnline) {
    const std::string section = trim(id);
    if (section.empty() || section == "0") return true;
    const BBSRecord before = m_record;
    SettingsStore::Batch batch(m_store, m_path);
    // The statistics are written as they stand, without the sign position a save gives numbers.
    const auto put = [&](const BBSRecordKey::Field& field) {
        const BBSRecordKey& row = bbsRecordKey(field);
        write(section, row.key, trim(plainRecordValue(row, m_record)));
    };
    if (!disconnecting) {
        ++m_record.Connects;
        m_record.LastCall = formatLastCall(m_clock.now());
        put(&BBSRecord::Connects);
        put(&BBSRecord::LastCall);
    } else {
        m_record.LastTimeOnline = timeOnline;
        put(&BBSRecord::TotalTime);
        put(&BBSRecord::LastTimeOnline);
        put(&BBSRecord::MaxBaud);
    }
    if (const int status = commit(batch); status != SettingsStore::kOk) {
        // What this call counted goes; the time online the caller added stays in memory, so the
        // next statistics that do reach the file include it.
        m_record.Connects = before.Connects;
        m_record.LastCall = before.LastCall;
        m_record.LastTimeOnline = before.LastTimeOnline;
        reportWriteFailure(status, "The call statistics were not saved.");
        return false;
    }
    return true;
}

bool BBSList::CheckBBSCount(bool fix) {
    const int marked = static_cast<int>(std::count(m_map.begin(), m_map.end(), '1'));
    if (marked == m_numBBS) return true;
    if (fix) {
        SettingsStore::Batch batch(m_store, m_path);
        write(kConfig, kNumBBS, std::to_string(marked));
        if (const int status = commit(batch); status != SettingsStore::kOk)
            reportWriteFailure(status, "NumBBS was not corrected.");
        else
            m_numBBS = marked;
    }
    return false;
}

void BBSList::stamp() {
    write(kSystem, "LastEdited", formatStampDateTime(m_clock.now()));
    write(kSystem, "LastVersion", versionWithBuild());
}

bool BBSList::StampBBSListEdited() {
    SettingsStore::Batch batch(m_store, m_path);
    stamp();
    if (const int status = commit(batch); status != SettingsStore::kOk) {
        reportWriteFailure(status, "The edit stamp was not saved.");
        return false;
    }
    return true;
}

int BBSList::commit(SettingsStore::Batch& batch) {
    const int status = batch.commit();
    return status != SettingsStore::kOk ? status : batch.openStatus();
}

std::string BBSList::BBSListStampText() {
    return read(kSystem, "LastEdited", "") + " by v" + read(kSystem, "LastVersion", "");
}

}  // namespace vx
