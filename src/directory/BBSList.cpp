#include "directory/BBSList.h"

#include <algorithm>
#include <cctype>

#include "base/Formats.h"
#include "base/Version.h"
#include "config/ConfigSettings.h"
#include "config/IniFile.h"
#include "config/Scrambler.h"
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

// Every key of a record section, as deleting a record blanks them.
constexpr const char* kRecordKeys[] = {"BBSname",
                                       "URL",
                                       "Port",
                                       "PortList",
                                       "Sysop",
                                       "Deleted",
                                       "Created",
                                       "LastCall",
                                       "LastEdited",
                                       "LastTimeOnline",
                                       "LANtronix",
                                       "HideFromList",
                                       "ClrBufferOnDisc",
                                       "AlarmColEnabled",
                                       "NoWrap",
                                       "BBSXv1",
                                       "BBSXDelay",
                                       "OneAtaTime",
                                       "MaxBaud",
                                       "Website",
                                       "Comment",
                                       "StayAlive",
                                       "Mode80Col",
                                       "BaudSim",
                                       "Permanent",
                                       "Connects",
                                       "TotalTime",
                                       "AlarmColValue",
                                       "SendDelayValue",
                                       "Signature",
                                       "Protocol"};

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::string boolText(bool value) { return value ? "True" : "False"; }

std::string macroKey(int n) { return "Macro" + std::to_string(n); }
std::string hiddenKey(int n) { return "MacVisible" + std::to_string(n); }

// A stored date as the record holds it: "0" when there is none. A text the date reader does not
// know (Windows writes dates in the user's regional form) is kept as it stands, so that loading
// and saving a record never destroys a date.
std::string storedDate(const std::string& text) { return text.empty() ? "0" : text; }

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
    return record;
}

bool BBSList::writeNewRecord(const std::string& id, const BBSRecord& record) {
    SettingsStore::Batch batch(m_store, m_path);
    const auto put = [&](const char* key, const std::string& value) { write(id, key, value); };
    put("BBSname", record.BBSname);
    put("URL", record.URL);
    put("Port", formatLeadingBlank(record.Port));
    put("PortList", record.PortList);
    put("Sysop", record.Sysop);
    put("Deleted", boolText(record.Deleted));
    put("Created", record.Created);
    put("LastCall", record.LastCall);
    put("LastEdited", record.LastEdited);
    put("Website", record.Website);
    put("Comment", record.Comment);
    put("StayAlive", boolText(record.StayAlive));
    put("Mode80Col", boolText(record.Mode80Col));
    put("BaudSim", boolText(record.BaudSim));
    put("Permanent", boolText(record.Permanent));
    put("Signature", record.Signature);
    stamp();
    return commit(batch) == SettingsStore::kOk;
}

bool BBSList::writeSampleMacros(const std::string& id) {
    SettingsStore::Batch batch(m_store, m_path);
    for (int n = 0; n < 10; ++n) {
        write(id, macroKey(n), n == 0 ? "yourlogin<cr>" : n == 1 ? "yourpassword<cr>" : "");
        stamp();
    }
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
    if (!writeNewRecord(kDefaultId, record) || !writeSampleMacros(kDefaultId)) return false;

    // The sample record is the demo board that comes with the program, so a first connection
    // works without the internet.
    record.BBSname = "Vexterm Demo BBS";
    record.URL = "127.0.0.1";
    record.Sysop = "The Vexterm developers";
    record.Website = "https://www.example.org/";
    record.Comment = "The demo board that comes with Vexterm: start vexterm-demo-bbs, then connect.";
    record.Port = 6502;
    record.PortList = "6502 23 8889";
    if (!writeNewRecord("1", record)) return false;

    SettingsStore::Batch batch(m_store, m_path);
    write(kConfig, "NumBBS", "1");
    m_map = SetMapFlag(std::string(kMaxRecords, '0'), 1, true);
    write(kConfig, "BBSMap", m_map);
    write(kIndex, "1", record.BBSname);
    const bool committed = commit(batch) == SettingsStore::kOk;
    return committed && writeSampleMacros("1");
}

bool BBSList::LoadBBSList() {
    const std::string title = "Critical ERROR - Invalid BBSFile Entry!";
    if (const int status = m_store.fileStatus(m_path); status != SettingsStore::kOk) {
        m_prompter.message(title + "\r\r" + m_path + "\r(" + SettingsStore::statusText(status) + ")", "",
                           MessageIcon::Critical);
        return false;
    }
    const std::string count = read(kConfig, "NumBBS", "");
    // The map is 255 characters, one longer than a profile read returns: read it whole, or the
    // flag of ID 255 would be lost and a new record could take that ID over an existing one.
    std::string map;
    m_store.readFullValue(m_path, kConfig, "BBSMap", "", map);
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
        if (TextToBoolean(read(id, "HideFromList", "0"))) continue;
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
    const auto text = [&](const char* key, const char* missing) { return trim(read(section, key, missing)); };
    const auto flag = [&](const char* key) { return TextToBoolean(read(section, key, "0")); };
    const auto number = [&](const char* key, const char* missing) {
        return parseLeadingNumber(read(section, key, missing));
    };

    BBSRecord record;
    record.BBSname = text("BBSname", "{Enter BBS Name}");
    record.Port = clampToPort(number("Port", "{Enter Port}"));
    record.PortList = text("PortList", "8888 9000 23");
    record.URL = text("URL", "{Enter URL}");
    record.Sysop = text("Sysop", "");
    record.Comment = text("Comment", "");
    record.StayAlive = flag("StayAlive");
    record.BaudSim = flag("BaudSim");
    record.LANtronix = flag("LANtronix");
    record.HideFromList = flag("HideFromList");
    record.ClrBufferOnDisc = flag("ClrBufferOnDisc");
    record.AlarmColEnabled = flag("AlarmColEnabled");
    record.NoWrap = flag("NoWrap");
    record.OneAtaTime = flag("OneAtaTime");
    record.MaxBaud = clampToInt32(number("MaxBaud", "0"));
    record.BBSXv1 = flag("BBSXv1");
    record.BBSXDelay = text("BBSXDelay", "300");
    record.Permanent = flag("Permanent");
    record.Mode80Col = flag("Mode80Col");
    record.Created = storedDate(text("Created", "0"));
    record.LastCall = storedDate(text("LastCall", "0"));
    record.LastTimeOnline = text("LastTimeOnline", "");
    record.LastEdited = storedDate(text("LastEdited", "0"));
    record.Connects = clampToInt32(number("Connects", "0"));
    record.TotalTime = clampToInt32(number("TotalTime", "0"));
    record.Website = text("Website", "");
    record.AlarmColValue = clampToInt16(number("AlarmColValue", "30"));
    record.SendDelayValue = clampToInt16(number("SendDelayValue", "0"));
    record.Signature = text("Signature", " ");
    record.Protocol = protocolName(text("Protocol", "Raw"));
    for (int n = 0; n < 10; ++n) {
        StoredMacro& macro = record.macros[static_cast<std::size_t>(n)];
        macro.text = read(section, macroKey(n), "");
        macro.hidden = read(section, hiddenKey(n), "");
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
    const auto put = [&](const char* key, const std::string& value) { write(section, key, value); };
    put("BBSname", record.BBSname);
    put("URL", record.URL);
    put("Port", formatLeadingBlank(record.Port));
    put("PortList", record.PortList);
    put("Sysop", record.Sysop);
    put("Deleted", boolText(record.Deleted));
    put("Created", record.Created);
    put("LastEdited", record.LastEdited);
    put("LastTimeOnline", record.LastTimeOnline);
    put("LANtronix", boolText(record.LANtronix));
    put("HideFromList", boolText(record.HideFromList));
    put("ClrBufferOnDisc", boolText(record.ClrBufferOnDisc));
    put("AlarmColEnabled", boolText(record.AlarmColEnabled));
    put("NoWrap", boolText(record.NoWrap));
    put("BBSXv1", boolText(record.BBSXv1));
    put("BBSXDelay", formatLeadingBlank(parseLeadingNumber(record.BBSXDelay)));
    put("OneAtaTime", boolText(record.OneAtaTime));
    put("MaxBaud", formatLeadingBlank(record.MaxBaud));
    put("Website", record.Website);
    put("Comment", record.Comment);
    put("StayAlive", boolText(record.StayAlive));
    put("Mode80Col", boolText(record.Mode80Col));
    put("BaudSim", boolText(record.BaudSim));
    put("Permanent", boolText(record.Permanent));
    put("Connects", formatLeadingBlank(record.Connects));
    put("AlarmColValue", formatLeadingBlank(record.AlarmColValue));
    put("SendDelayValue", formatLeadingBlank(record.SendDelayValue));
    put("Signature", trim(record.Signature));
    // A board spoken to as it always was keeps its section as it was.
    if (record.Protocol != "Raw" || read(section, "Protocol", "").size() > 0) put("Protocol", record.Protocol);
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
    SettingsStore::Batch batch(m_store, m_path);
    writeRecordFields(section, record);
    if (!askAboutMacros) writeMacros(section, record);
    stamp();
    if (const int status = commit(batch); status != SettingsStore::kOk) {
        reportWriteFailure(status, "The BBS record was not saved.");
        if (done) done(false);
        return false;
    }
    // Edits of the board that is current (selected, perhaps being called) take effect at once:
    // its macros, switches and address are read back as the file now holds them.
    if (!m_recordId.empty() && section == m_recordId) makeCurrent(section, readRecord(section));
    if (!askAboutMacros) {
        if (done) done(true);
        return true;
    }
    askToCopyMacros(section, record, std::move(done));
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
    for (int n = 0; n < 10; ++n) {
        const StoredMacro& macro = record.macros[static_cast<std::size_t>(n)];
        write(section, macroKey(n), macro.text);
        if (!trim(macro.text).empty()) write(section, hiddenKey(n), trim(macro.hidden));
    }
}

void BBSList::writeCountAndMap(int numBBS, const std::string& map, bool leadingBlank) {
    write(kConfig, "NumBBS", leadingBlank ? formatLeadingBlank(numBBS) : std::to_string(numBBS));
    write(kConfig, "BBSMap", map);
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
    if (isCopy) write(section, "TotalTime", std::to_string(record.TotalTime));
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
    const auto count = parsed.find(kConfig, "NumBBS");
    const auto map = parsed.find(kConfig, "BBSMap");
    if (!count || !isWholeNumberText(*count) || parseLeadingNumber(*count) < 0)
        return "[Config] NumBBS must be a number of records.";
    if (!map || map->empty() || map->find_first_not_of("01") != std::string::npos)
        return "[Config] BBSMap must be the map of IDs in use: 255 characters, each 0 or 1.";
    if (parseLeadingNumber(*count) == 0 && map->find('1') != std::string::npos)
        return "[Config] NumBBS is 0 but BBSMap marks records in use.";
    if (const int status = m_store.replaceFile(m_path, trimmed + "\r\n"); status != SettingsStore::kOk)
        return "The BBS list file could not be written (" + SettingsStore::statusText(status) + ").";
    LoadBBSList();
    return {};
}

BBSRecord BBSList::recordOf(const std::string& id) { return readRecord(trim(id)); }

BBSList::Summary BBSList::summaryOf(int id) {
    const std::string section = std::to_string(id);
    return {trim(read(kIndex, section, "Invalid")), trim(read(section, "URL", "")), trim(read(section, "Sysop", ""))};
}

BBSList::Statistics BBSList::statisticsOf(int id) {
    const std::string section = std::to_string(id);
    const auto number = [&](const char* key) { return clampToInt32(parseLeadingNumber(read(section, key, "0"))); };
    return {trim(read(section, "BBSname", "{Enter BBS Name}")), number("Connects"), number("TotalTime"),
            number("MaxBaud")};
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
    for (const char* key : kRecordKeys) m_store.DeleteSettingValue(m_path, section, key);
    for (int n = 0; n < 10; ++n) {
        m_store.DeleteSettingValue(m_path, section, macroKey(n));
        m_store.DeleteSettingValue(m_path, section, hiddenKey(n));
    }
    // Only an ID that was in use changes the count, so NumBBS cannot drift from the map.
    const auto number = parseLeadingNumber(section);
    const bool inUse = isWholeNumberText(section) && number >= 1 && number <= kMaxRecords &&
                       m_map[static_cast<std::size_t>(number - 1)] == '1';
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
    if (!disconnecting) {
        ++m_record.Connects;
        m_record.LastCall = formatLastCall(m_clock.now());
        write(section, "Connects", std::to_string(m_record.Connects));
        write(section, "LastCall", trim(m_record.LastCall));
    } else {
        m_record.LastTimeOnline = timeOnline;
        write(section, "TotalTime", std::to_string(m_record.TotalTime));
        write(section, "LastTimeOnline", trim(timeOnline));
        write(section, "MaxBaud", std::to_string(m_record.MaxBaud));
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
        write(kConfig, "NumBBS", std::to_string(marked));
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
