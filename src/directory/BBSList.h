#pragma once

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "config/SettingsStore.h"
#include "directory/BBSRecord.h"
#include "directory/BBSRecordKeys.h"
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
    // when the file is unusable: the program must stop. An empty directory (NumBBS 0 and no ID
    // in the map, as deleting the last record leaves it) loads as an empty list.
    bool LoadBBSList();
    void FillBBSList();
    const std::vector<BBSListEntry>& entries() const { return m_entries; }

    // Every writer below changes the file as one replacement. When that fails the user is told
    // (with the reason), the writer reports false (or nothing), and the map, NumBBS, the
    // selection list and the current record stay as the file is: nothing is half done.

    // Loads the record with that ID into record(); false (with "No BBS Selected!") for "" or "0".
    bool LoadBBSRecord(const std::string& id);
    // With askAboutMacros the user is asked "Copy Macros?" and the macros are written on Yes;
    // `done` runs when everything is written (or failed). Returns whether the record (without
    // the macros that wait for the answer) was written.
    bool SaveBBSRecord(const std::string& id, const BBSRecord& record, bool askAboutMacros,
                       std::function<void()> done = {});
    // The same; `done` learns whether the macros (when asked for) were written too. Either keeps
    // the call statistics as counted (see countedRecord), whatever `record` holds of them.
    bool SaveBBSRecord(const std::string& id, const BBSRecord& record, bool askAboutMacros,
                       std::function<void(bool written)> done);
    // Adds a record made from the DEFAULT record (or, for a copy, from the current one) under the
    // lowest free ID, which is returned; nothing when all 255 IDs are in use or the file could
    // not be written (the user is told). A copy becomes the current record once the macro
    // question is answered.
    std::optional<int> addRecord();
    std::optional<int> copyRecord();
    // The BBS editor's add and copy: the new record is written but the current record (the one
    // a call may be running on) stays. A copy is made from `source`; `copied` runs once the
    // macro question is answered.
    std::optional<int> addRecordAside();
    std::optional<int> copyRecordAside(const BBSRecord& source, std::function<void(int id)> copied);
    // Adds the records (made by the caller, e.g. from an import) under the lowest free IDs, all
    // in one replacement of the file: all are added, or (after the user was told) none. Their
    // macros are the DEFAULT record's. Returns the IDs given.
    std::optional<std::vector<int>> addRecordsAside(const std::vector<BBSRecord>& records);
    // The raw editor's save: the whole file replaced by `text` (trimmed, CR LF at the end), then
    // read again. A text the program could not start from (no usable NumBBS or BBSMap) is
    // refused and nothing is written. Returns "" when saved, else why not.
    std::string replaceWithRawText(const std::string& text);
    // A record as the file holds it, without making it the current one.
    BBSRecord recordOf(const std::string& id);
    // The name, address and sysop of a record, for lists that show many.
    struct Summary {
        std::string name;
        std::string address;
        std::string sysop;
    };
    Summary summaryOf(int id);
    // The call statistics of a record, read as the record loader reads them (the report reads
    // only these four keys of every board).
    struct Statistics {
        std::string name;
        std::int32_t connects = 0;
        std::int32_t totalTime = 0;
        std::int32_t maxBaud = 0;
    };
    Statistics statisticsOf(int id);
    bool DeleteBBSRecord(const std::string& id);
    // Statistics of the current record: a call counted at connect, the time online at disconnect.
    bool UpdateBBSStats(const std::string& id, bool disconnecting, const std::string& timeOnline);
    // True when NumBBS equals the IDs marked in the map; with `fix`, NumBBS is corrected.
    bool CheckBBSCount(bool fix);
    bool StampBBSListEdited();
    std::string BBSListStampText();

    static std::string SetMapFlag(std::string map, int n, bool flag);
    static int FirstFreeID(const std::string& map);
    // The lowest ID free in the map for which `taken` (when given) is false, or 0.
    static int FirstFreeID(const std::string& map, const std::function<bool(int id)>& taken);
    // The ID the next add or copy takes: free in the map, and with no section in the file that
    // holds values (a record the map has lost is never written over). 0 when there is none.
    int firstFreeIdInFile();
    // How many records can still be added: the IDs that firstFreeIdInFile() would give one by one.
    int freeIdsInFile();
    // Up to ten ports from a text of numbers separated by any non-digits; at least 1 is returned.
    static int ParsePortList(const std::string& text, std::array<std::string, 10>& ports);

    BBSRecord& record() { return m_record; }
    // The record with that ID with its call statistics as counted so far: the current record's
    // live figures (a call's top speed is kept in memory until it ends), else the file's.
    BBSRecord countedRecord(const std::string& id);
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
    // Whether the map lists a record under this ID (the DEFAULT record is no board of the map).
    bool holds(const std::string& id) const;
    int numBBS() const { return m_numBBS; }
    bool listChanged() const { return m_listChanged; }
    void clearListChanged() { m_listChanged = false; }

private:
    std::string read(const std::string& section, const std::string& key, const std::string& missing);
    BBSRecord readRecord(const std::string& section);
    // A record with only these members read from the file, as readRecord reads them.
    BBSRecord readKeys(const std::string& section, std::initializer_list<BBSRecordKey::Field> fields);
    // The record becomes the current one, with its macros ready to send and its ports parsed.
    void makeCurrent(const std::string& section, BBSRecord record);
    void write(const std::string& section, const std::string& key, const std::string& value);
    // The keys a new list starts with: the record's fields, or (a write of its own) its macros.
    bool writeNewRecord(const std::string& id, const BBSRecord& record, bool macros);
    std::optional<int> addFrom(const BBSRecord& source, bool isCopy, bool makeItCurrent,
                               std::function<void(int id)> afterMacros = {});
    void writeCountAndMap(int numBBS, const std::string& map, bool leadingBlank);
    void reportListFull();
    void writeRecordFields(const std::string& section, const BBSRecord& record);
    void writeMacros(const std::string& section, const BBSRecord& record);
    // "Copy Macros?": Yes writes the record's macros into the section.
    void askToCopyMacros(const std::string& section, const BBSRecord& record, std::function<void(bool written)> done);
    void stamp();
    // Commits the batch; the status also covers a file that was missing when it opened.
    static int commit(SettingsStore::Batch& batch);
    // Tells the user that a write failed, why, and what was therefore not done.
    void reportWriteFailure(int status, const std::string& notDone);
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
