#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/ConfigSettings.h"
#include "config/Scrambler.h"
#include "config/SettingsStore.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"

namespace vx {

// The configuration file "VX3_Cfg.ini": its header, saving and loading of every key, and the
// run totals.
class ConfigFile {
public:
    ConfigFile(SettingsStore& store, std::string path) : m_store(store), m_path(std::move(path)) {}

    const std::string& path() const { return m_path; }

    // Creates the file (replacing any old one) with its eight header lines. Returns a status.
    int WriteConfigHeader(const LocalDateTime& now);

    enum class SaveResult {
        Saved,
        NoFile,       // the first write found no file: "Unable to create Config file!", the program stops
        WriteFailed,  // the file could not be replaced; the old file is intact
    };
    // Writes all 40 keys in table order, as one replacement of the file.
    SaveResult SaveConfig(const ConfigSettings& settings);
    // The status of the last SaveConfig (SettingsStore::statusText says it in words).
    int lastSaveStatus() const { return m_lastSaveStatus; }

    // Reads every key and writes the password marker when it is missing.
    ConfigSettings LoadConfig(const std::string& systemFolder, Scrambler& scrambler);

    // A folder setting that cannot name a folder on this system, and what it became.
    struct FolderReset {
        std::string key;
        std::string oldValue;
        std::string newValue;
        friend bool operator==(const FolderReset&, const FolderReset&) = default;
    };
    // SysFolder, CaptureFolder, ScreenDumpPath and MojisDumpPath as loaded from a configuration
    // written elsewhere (a Windows drive-letter or backslash path, or a relative path) are taken
    // as missing: each is rebuilt from the real system folder, in `settings` and in the file.
    // Empty values stay as they are. Runs before checkDumpFolders, so its questions are about
    // real folders. Returns what was reset, in key-table order.
    std::vector<FolderReset> resetForeignFolders(ConfigSettings& settings, const std::string& systemFolder);
    // The one message telling the user which folder settings were reset and what they held.
    static std::string folderResetMessage(const std::vector<FolderReset>& resets);
    // The log line for one reset.
    static std::string folderResetLogLine(const FolderReset& reset);

    // The end of loading: asks whether to create a missing screen-dump folder, then a missing
    // 'Mojis folder (Yes creates it and stores the path, No empties the path for this run).
    // `settings` must live until `done` runs.
    void checkDumpFolders(ConfigSettings& settings, Prompter& prompter, std::function<void()> done);

    // [Totals] at shutdown: the stored total plus this run's characters, and one more session.
    // Not kOk when they were not written, the file having gone included.
    int saveTotals(std::int32_t totalIncoming, std::int32_t sessionNum);

    static constexpr const char* kUnableToCreate = "Unable to create Config file!";
    // What the user is told when something could not be written to the file at `path`: where,
    // why (a SettingsStore status), and what was not saved.
    static std::string writeFailureMessage(const std::string& path, int status, const std::string& notSaved);
    static constexpr const char* kUnableToRead = "Unable to read Config file!";

private:
    std::string read(const char* section, const char* key, const std::string& missing);
    void loadKey(const ConfigKey& row, ConfigSettings& settings, const std::string& systemFolder);
    void checkFolder(std::string& folder, const char* key, const char* label, Prompter& prompter,
                     std::function<void()> done);
    static std::string encode(const ConfigKey& row, const ConfigSettings& settings);

    SettingsStore& m_store;
    std::string m_path;
    int m_lastSaveStatus = SettingsStore::kOk;
};

}  // namespace vx
