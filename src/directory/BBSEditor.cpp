#include "directory/BBSEditor.h"

#include <algorithm>
#include <cctype>

#include "base/Formats.h"
#include "base/HostAddress.h"

namespace vx {
namespace {

constexpr const char* kNoPasswordForButton =
    "You have not set the Vexterm password yet.  You may do this in configuration Tab #1.";
constexpr const char* kNoPasswordForBox =
    "You have not set a Vexterm password yet.  You may do this in configuration Tab #1.";

// Dates that mean "never" show as an empty box.
std::string shownDate(const std::string& stored) {
    std::string compact;
    for (char c : stored)
        if (c != ' ') compact += c;
    return compact == "12:00:00AM" || compact == "0" ? std::string() : stored;
}

constexpr const char* kBadPort = "The port must be a number from 1 to 65535.";

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Fields that show a record's text or switch as they are, in both directions.
constexpr std::pair<std::string BBSEditorFields::*, std::string BBSRecord::*> kTexts[] = {
    {&BBSEditorFields::name, &BBSRecord::BBSname},     {&BBSEditorFields::portList, &BBSRecord::PortList},
    {&BBSEditorFields::sysop, &BBSRecord::Sysop},      {&BBSEditorFields::comment, &BBSRecord::Comment},
    {&BBSEditorFields::website, &BBSRecord::Website},  {&BBSEditorFields::signature, &BBSRecord::Signature},
    {&BBSEditorFields::autoPauseDelay, &BBSRecord::BBSXDelay}, {&BBSEditorFields::protocol, &BBSRecord::Protocol},
};
constexpr std::pair<bool BBSEditorFields::*, bool BBSRecord::*> kSwitches[] = {
    {&BBSEditorFields::alarmEnabled, &BBSRecord::AlarmColEnabled},
    {&BBSEditorFields::stayAlive, &BBSRecord::StayAlive},
    {&BBSEditorFields::baudSim, &BBSRecord::BaudSim},
    {&BBSEditorFields::permanent, &BBSRecord::Permanent},
    {&BBSEditorFields::lantronix, &BBSRecord::LANtronix},
    {&BBSEditorFields::hideFromList, &BBSRecord::HideFromList},
    {&BBSEditorFields::killBuffer, &BBSRecord::ClrBufferOnDisc},
    {&BBSEditorFields::noWrap, &BBSRecord::NoWrap},
    {&BBSEditorFields::autoPause, &BBSRecord::BBSXv1},
    {&BBSEditorFields::oneAtATime, &BBSRecord::OneAtaTime},
    {&BBSEditorFields::mode80, &BBSRecord::Mode80Col},
};

bool isRecordNumber(const std::string& id) {
    return isWholeNumberText(id) && parseLeadingNumber(id) >= 1 && parseLeadingNumber(id) <= BBSList::kMaxRecords;
}

}  // namespace

BBSEditor::BBSEditor(BBSList& list, Prompter& prompter, const Clock& clock, const ConfigSettings& config,
                     Scrambler& scrambler, bool& loggedIn, Hooks hooks)
    : m_list(list),
      m_prompter(prompter),
      m_clock(clock),
      m_config(config),
      m_scrambler(scrambler),
      m_loggedIn(loggedIn),
      m_hooks(std::move(hooks)) {}

void BBSEditor::open(const std::string& recId) {
    m_open = true;
    std::string id = recId.empty() ? "1" : recId;
    // A board deleted since it was chosen is not shown as a blank record: the next board is.
    if (id != BBSList::kDefaultId && !m_list.holds(id)) {
        const int next = neighbour(isRecordNumber(id) ? static_cast<int>(parseLeadingNumber(id)) : 0, +1);
        if (next != 0) id = std::to_string(next);
    }
    display(id, m_list.recordOf(id));
}

std::string BBSEditor::caption() { return "BBS Editor - Last Edit: " + m_list.BBSListStampText(); }

void BBSEditor::edit(const std::function<void(BBSEditorFields&)>& change) {
    change(m_fields);
    m_changed = true;
    notify();
}

void BBSEditor::display(const std::string& id, const BBSRecord& record) {
    m_recId = id;
    m_number = isRecordNumber(id) ? static_cast<int>(parseLeadingNumber(id)) : 0;
    m_loaded = record;
    BBSEditorFields f;
    f.id = id;
    for (const auto& [field, key] : kTexts) f.*field = record.*key;
    for (const auto& [field, key] : kSwitches) f.*field = record.*key;
    f.address = record.URL;
    f.port = std::to_string(record.Port);
    f.alarmColumn = std::to_string(record.AlarmColValue);
    f.sendDelay = std::to_string(record.SendDelayValue);
    f.deleted = false;  // never loaded: ticked only after a delete
    f.created = shownDate(record.Created);
    f.lastEdited = shownDate(record.LastEdited);
    showCallStatistics(record, f);
    for (std::size_t i = 0; i < record.macros.size(); ++i) {
        const StoredMacro& macro = record.macros[i];
        f.hidden[i] = macro.hidden == "1";
        f.macros[i] = f.hidden[i] ? Scrambler::UnscrambleText(macro.text) : macro.text;
    }
    m_fields = std::move(f);
    // Showing a record locks its hidden macros again.
    m_loggedIn = false;
    m_changed = false;
    if (m_hooks.applyToTerminal) m_hooks.applyToTerminal(record);
    notify();
}

void BBSEditor::showCallStatistics(const BBSRecord& record, BBSEditorFields& f) {
    f.lastCall = shownDate(record.LastCall);
    f.lastTimeOnline = record.LastTimeOnline;
    f.connects = std::to_string(record.Connects);
    f.totalOnline = FormatOnlineTime(record.TotalTime, true, true);
    f.maxBps = std::to_string(record.MaxBaud);
}

BBSRecord BBSEditor::recordFromFields(const BBSEditorFields& f) {
    BBSRecord record = m_loaded;
    for (const auto& [field, key] : kTexts) record.*key = f.*field;
    for (const auto& [field, key] : kSwitches) record.*key = f.*field;
    record.URL = f.address;
    record.Port = static_cast<std::int32_t>(std::clamp<std::int64_t>(parseLeadingNumber(f.port), 0, 65535));
    // "host:port" and "[IPv6]:port" in the address box are split, as users paste addresses.
    const auto parsed = parseHostAndPort(f.address);
    if (const auto* address = std::get_if<HostAndPort>(&parsed)) {
        record.URL = address->host;
        if (address->port) record.Port = *address->port;
    }
    record.AlarmColValue = clampToInt16(parseLeadingNumber(f.alarmColumn));
    record.SendDelayValue = clampToInt16(parseLeadingNumber(f.sendDelay));
    record.Deleted = f.deleted;
    record.LastEdited = f.lastEdited;
    for (std::size_t i = 0; i < record.macros.size(); ++i) {
        StoredMacro& macro = record.macros[i];
        const StoredMacro& loaded = m_loaded.macros[i];
        const bool wasHidden = loaded.hidden == "1";
        // A hidden macro nobody touched keeps its stored text: scrambling starts at a random
        // offset, and a save should not change what the user did not.
        if (f.hidden[i] && wasHidden && Scrambler::UnscrambleText(loaded.text) == f.macros[i]) continue;
        // A plain macro keeps its stored marker too (an empty one stays empty).
        if (!f.hidden[i] && !wasHidden && loaded.text == f.macros[i]) continue;
        macro.hidden = f.hidden[i] ? "1" : "0";
        macro.text = f.hidden[i] ? m_scrambler.ScrambleText(f.macros[i]) : f.macros[i];
    }
    return record;
}

bool BBSEditor::save() {
    // A record the map does not list would be written as a section nothing shows or counts,
    // and its ID would be lost for good.
    if (m_recId != BBSList::kDefaultId && !m_list.holds(m_recId)) {
        if (isRecordNumber(m_recId))
            m_prompter.message("BBS ID: " + m_recId +
                                   " is not in the list, so it was not saved.\r\n"
                                   "Use Add BBS to make a new board.",
                               "", MessageIcon::Exclamation);
        return false;
    }
    // A port box left empty or out of range would be saved as port 0, which nothing can dial.
    const auto typed = parseHostAndPort(m_fields.address);
    const auto* address = std::get_if<HostAndPort>(&typed);
    if (!(address && address->port) && !parsePortNumber(trim(m_fields.port))) {
        m_prompter.message(kBadPort, "", MessageIcon::Exclamation);
        return false;
    }
    m_fields.lastEdited = formatEditStamp(m_clock.now());
    const BBSRecord record = recordFromFields(m_fields);
    if (!m_list.SaveBBSRecord(m_recId, record, false)) {
        notify();
        return false;
    }
    m_loaded = record;
    copyCallStatistics(m_list.countedRecord(m_recId), m_loaded);
    showCallStatistics(m_loaded, m_fields);
    m_fields.address = record.URL;
    m_fields.port = std::to_string(record.Port);
    m_changed = false;
    listChanged();
    notify();
    return true;
}

void BBSEditor::askSaveThen(std::function<void()> then) {
    if (!m_changed) {
        then();
        return;
    }
    m_prompter.askYesNoCancel("Data has Changed. Save?", "", MessageIcon::Question,
                              [this, then = std::move(then)](Prompter::Answer answer) {
                                  if (answer == Prompter::Answer::Cancel) return;
                                  if (answer == Prompter::Answer::Yes && !save()) return;
                                  then();
                              });
}

void BBSEditor::askLoseThen(std::function<void()> then) {
    if (!m_changed) {
        then();
        return;
    }
    m_prompter.askYesNo("Lose Changes to BBS entry?", "", MessageIcon::Question,
                        [then = std::move(then)](bool yes) {
                            if (yes) then();
                        });
}

int BBSEditor::neighbour(int from, int direction) const {
    // Records are stepped through by the IDs in use, so gaps left by deletions are skipped and
    // every record can be reached; past either end the other end follows.
    std::vector<int> ids;
    const std::string& map = m_list.map();
    for (int id = 1; id <= static_cast<int>(map.size()); ++id)
        if (map[static_cast<std::size_t>(id - 1)] == '1') ids.push_back(id);
    if (ids.empty()) return 0;
    if (direction > 0) {
        const auto after = std::upper_bound(ids.begin(), ids.end(), from);
        return after == ids.end() ? ids.front() : *after;
    }
    const auto before = std::lower_bound(ids.begin(), ids.end(), from);
    return before == ids.begin() ? ids.back() : *std::prev(before);
}

void BBSEditor::step(int direction) {
    const int id = neighbour(m_number, direction);
    if (id == 0) return;  // an empty directory
    display(std::to_string(id), m_list.recordOf(std::to_string(id)));
}

void BBSEditor::previous() {
    if (!m_connected) askSaveThen([this] { step(-1); });
}

void BBSEditor::next() {
    if (!m_connected) askSaveThen([this] { step(+1); });
}

void BBSEditor::show(int id) {
    askSaveThen([this, id] { display(std::to_string(id), m_list.recordOf(std::to_string(id))); });
}

void BBSEditor::dial(int id) {
    askSaveThen([this, id] {
        display(std::to_string(id), m_list.recordOf(std::to_string(id)));
        m_list.LoadBBSList();
        closeStep(std::to_string(id));
    });
}

void BBSEditor::addBBS() {
    askSaveThen([this] {
        const auto id = m_list.addRecordAside();
        if (!id) return;
        display(std::to_string(*id), m_list.recordOf(std::to_string(*id)));
        listChanged();
        m_prompter.message("BBS added - ID: " + std::to_string(*id), "", MessageIcon::Information);
    });
}

void BBSEditor::copyBBS() {
    askSaveThen([this] {
        // The record as last loaded or saved: edits just dropped are not part of the copy.
        m_list.copyRecordAside(m_loaded, [this](int id) {
            display(std::to_string(id), m_list.recordOf(std::to_string(id)));
            listChanged();
        });
    });
}

void BBSEditor::deleteBBS() {
    if (!isRecordNumber(m_recId) && m_recId != BBSList::kDefaultId) return;
    if (m_loaded.Permanent) {
        m_prompter.message("Cannot delete this BBS record... it is marked as Permanent!", "", MessageIcon::Exclamation);
        return;
    }
    m_prompter.askYesNo("You have asked to delete this BBS record. Are you sure you want to do this?",
                        "BBS ID: " + m_recId + " - " + m_fields.name, MessageIcon::Question, [this](bool yes) {
                            if (!yes || !m_list.DeleteBBSRecord(m_recId)) return;
                            m_fields.deleted = true;
                            m_recId = "0";
                            m_number = 0;
                            m_changed = false;
                            listChanged();
                            notify();
                        });
}

void BBSEditor::saveButton() {
    if (!save()) return;
    display(m_recId, m_list.recordOf(m_recId));
    m_list.LoadBBSList();
    listChanged();
}

void BBSEditor::reload() {
    if (!isRecordNumber(m_recId) && m_recId != BBSList::kDefaultId) return;
    askLoseThen([this] { display(m_recId, m_list.recordOf(m_recId)); });
}

void BBSEditor::editDefault() {
    if (m_connected) return;
    askSaveThen([this] { display(BBSList::kDefaultId, m_list.recordOf(BBSList::kDefaultId)); });
}

void BBSEditor::closeStep(std::optional<std::string> connectTo) {
    if (!m_open) return;
    // A board of the list that could not be saved (a bad port, a failed write) stays open with
    // the user's edits; a deleted one has nothing left to save.
    if (m_changed && !save() && (m_recId == BBSList::kDefaultId || m_list.holds(m_recId))) return;
    m_list.FillBBSList();
    listChanged();
    m_open = false;
    if (m_hooks.closed) m_hooks.closed(std::move(connectTo));
}

void BBSEditor::saveAndClose() {
    m_changed = true;
    m_list.LoadBBSList();
    closeStep(std::nullopt);
}

void BBSEditor::saveCloseConnect() {
    const std::string id = m_recId;
    m_changed = true;
    m_list.LoadBBSList();
    closeStep(isRecordNumber(id) ? std::optional<std::string>(id) : std::nullopt);
}

void BBSEditor::cancel() {
    if (!m_changed) {
        closeStep(std::nullopt);
        return;
    }
    m_prompter.askYesNo("Lose Changes to BBS entry?", "", MessageIcon::Question, [this](bool yes) {
        if (yes) m_changed = false;  // answered No, the close step saves them
        closeStep(std::nullopt);
    });
}

void BBSEditor::windowClosed() { closeStep(std::nullopt); }

void BBSEditor::setConnected(bool connected) {
    m_connected = connected;
    notify();
}

void BBSEditor::callStatisticsChanged() {
    if (!m_open || !isRecordNumber(m_recId)) return;
    copyCallStatistics(m_list.countedRecord(m_recId), m_loaded);
    showCallStatistics(m_loaded, m_fields);
    notify();
}

bool BBSEditor::macroEnabled(int i) const { return m_loggedIn || !m_fields.hidden[static_cast<std::size_t>(i)]; }

bool BBSEditor::hiddenBoxEnabled(int i) const {
    (void)i;
    return true;  // a click on a locked box asks for the password
}

void BBSEditor::hiddenButton() {
    if (!passwordSet()) {
        m_prompter.message(kNoPasswordForButton, "OOPS", MessageIcon::Critical);
        return;
    }
    if (m_loggedIn) {
        m_loggedIn = false;
        notify();
        return;
    }
    if (!m_hooks.login) return;
    m_hooks.login([this](bool ok) {
        m_loggedIn = ok;
        notify();
    });
}

void BBSEditor::hiddenBoxClicked(int i, bool ticked) {
    const auto apply = [this, i, ticked] {
        m_fields.hidden[static_cast<std::size_t>(i)] = ticked;
        m_changed = true;
        notify();
    };
    if (!passwordSet()) {
        // Without a password a hidden macro could never be shown again: the box goes back.
        m_prompter.message(kNoPasswordForBox, "OOPS", MessageIcon::Critical);
        notify();
        return;
    }
    if (m_loggedIn) {
        apply();
        return;
    }
    if (!m_hooks.login) {
        notify();
        return;
    }
    m_hooks.login([this, apply](bool ok) {
        m_loggedIn = ok;
        if (ok)
            apply();
        else
            notify();  // the box goes back to what it was
    });
}

void BBSEditor::fixList() {
    if (m_list.CheckBBSCount(false)) {
        m_prompter.message("List OK!", "", MessageIcon::Information);
        return;
    }
    m_prompter.askYesNo("Discrepancy in Number of BBSes!\r\nWant to fix it?", "List Problem", MessageIcon::Critical,
                        [this](bool yes) {
                            if (!yes) return;
                            m_list.CheckBBSCount(true);
                            if (m_list.CheckBBSCount(false)) m_prompter.message("Fixed!", "", MessageIcon::Information);
                            listChanged();
                        });
}

void BBSEditor::choosePort() {
    std::array<std::string, 10> parsed;
    const int count = BBSList::ParsePortList(m_fields.portList, parsed);
    std::vector<std::string> ports;
    for (int i = 0; i < count; ++i)
        if (!parsed[static_cast<std::size_t>(i)].empty()) ports.push_back(parsed[static_cast<std::size_t>(i)]);
    const std::int64_t current = parseLeadingNumber(m_fields.port);
    int selected = -1;
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (parseLeadingNumber(ports[i]) == current) selected = static_cast<int>(i);
    // The current port is always offered, even when the list does not name it.
    if (selected < 0 && current > 0) {
        ports.push_back(std::to_string(current));
        selected = static_cast<int>(ports.size()) - 1;
    }
    if (!m_hooks.choosePort) return;
    m_hooks.choosePort(ports, selected, [this](std::optional<std::string> port) {
        if (port) edit([&](BBSEditorFields& f) { f.port = *port; });
    });
}

void BBSEditor::sign() {
    if (m_hooks.sendSignature) m_hooks.sendSignature(m_fields.signature);
}

void BBSEditor::clearSignature() {
    edit([](BBSEditorFields& f) { f.signature.clear(); });
}

std::vector<DirectoryLine> BBSEditor::directory(const std::string& filter) {
    const std::string wanted = lower(filter);
    std::vector<DirectoryLine> lines;
    const std::string& map = m_list.map();
    for (int id = 1; id <= BBSList::kMaxRecords; ++id) {
        if (map[static_cast<std::size_t>(id - 1)] != '1') continue;
        const BBSList::Summary summary = m_list.summaryOf(id);
        if (!wanted.empty() && lower(summary.name).find(wanted) == std::string::npos &&
            lower(summary.address).find(wanted) == std::string::npos &&
            lower(summary.sysop).find(wanted) == std::string::npos)
            continue;
        lines.push_back({id, summary.name, summary.address, summary.sysop});
    }
    return lines;
}

}  // namespace vx
