#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/SettingsStore.h"
#include "directory/BBSRecord.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"

namespace vx {

// One line of the BBS selection list.
struct BBSListEntry {
    int id = 0;
    std::string name;

    friend bool operator==(const BBSListEntry&, const BBSListEntry&) = default;
};

// The BBS list file "VX3_BBS.INI" and the current BBS record: creation, the map of IDs in use,
// the selection list, and loading, saving, adding, copying and deleting records.
class BBSList {
public:
    static constexpr int kMaxRecords = 255;
    static constexpr const char* kDefaultId = "Default";

    BBSList(SettingsStore& store, Prompter& prompter, const Clock& clock, std::string path);

    const std::string& path() const { return m_path; }

    // Writes a new file with the DEFAULT record and a sample record; true when both were written.
    bool CreateBBSListFile();

    // Reads NumBBS and the map and fills the selection list. False (after the critical message)
    // when the file is unusable: the program must stop.
    bool LoadBBSList();
    void FillBBSList();
    const std::vector<BBSListEntry>& entries() const { return m_entries; }

    // Loads the record with that ID into record(); false (with "No BBS Selected!") for "" or "0".
    bool LoadBBSRecord(const std::string& id);
    // With askAboutMacros the user is asked "Copy Macros?" and the macros are written on Yes;
    // `done` runs when everything is written.
    void SaveBBSRecord(const std::string& id, const BBSRecord& record, bool askAboutMacros,
                       std::function<void()> done = {});
    // Adds a record made from the DEFAULT record (or, for a copy, from the current one) under the
    // lowest free ID, which is returned; nothing when all 255 IDs are in use (the user is told).
    // A copy becomes the current record once the macro question is answered.
    std::optional<int> addRecord();
    std::optional<int> copyRecord();
    void DeleteBBSRecord(const std::string& id);
    // Statistics of the current record: a call counted at connect, the time online at disconnect.
    void UpdateBBSStats(const std::string& id, bool disconnecting, const std::string& timeOnline);
    // True when NumBBS equals the IDs marked in the map; with `fix`, NumBBS is corrected.
    bool CheckBBSCount(bool fix);
    void StampBBSListEdited();
    std::string BBSListStampText();

    static std::string SetMapFlag(std::string map, int n, bool flag);
    static int FirstFreeID(const std::string& map);
    // Up to ten ports from a text of numbers separated by any non-digits; at least 1 is returned.
    static int ParsePortList(const std::string& text, std::array<std::string, 10>& ports);

    BBSRecord& record() { return m_record; }
    const BBSRecord& record() const { return m_record; }
    const std::string& recordId() const { return m_recordId; }
    // A board dialled by address (from the command line) that is not in the list: it becomes the
    // current record with no ID, no macros and default switches; nothing is written to the file.
    void useUnsavedRecord(const std::string& host, int port);
    // The ten macros ready to send: hidden ones unscrambled (in memory only), all expanded.
    const std::array<std::string, 10>& activeMacros() const { return m_activeMacros; }
    const std::array<std::string, 10>& ports() const { return m_ports; }
    int portCount() const { return m_portCount; }
    const std::string& map() const { return m_map; }
    int numBBS() const { return m_numBBS; }
    bool listChanged() const { return m_listChanged; }
    void clearListChanged() { m_listChanged = false; }

private:
    std::string read(const std::string& section, const std::string& key, const std::string& missing);
    void write(const std::string& section, const std::string& key, const std::string& value);
    bool writeNewRecord(const std::string& id, const BBSRecord& record);
    bool writeSampleMacros(const std::string& id);
    std::optional<int> addFrom(const BBSRecord& source, bool isCopy);
    void writeCountAndMap(bool leadingBlank);
    void writeMacros(const std::string& section, const BBSRecord& record);
    BBSRecord defaultRecord() const;

    SettingsStore& m_store;
    Prompter& m_prompter;
    const Clock& m_clock;
    std::string m_path;

    std::string m_map = std::string(kMaxRecords, '0');
    int m_numBBS = 0;
    std::vector<BBSListEntry> m_entries;
    BBSRecord m_record;
    std::string m_recordId;
    std::array<std::string, 10> m_activeMacros;
    std::array<std::string, 10> m_ports;
    int m_portCount = 0;
    bool m_listChanged = false;
};

}  // namespace vx
