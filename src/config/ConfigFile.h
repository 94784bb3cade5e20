#pragma once

#include <functional>
#include <string>

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

    // Reads every key and writes the password marker when it is missing.
    ConfigSettings LoadConfig(const std::string& systemFolder, Scrambler& scrambler);
    // The end of loading: asks whether to create a missing screen-dump folder, then a missing
    // 'Mojis folder (Yes creates it and stores the path, No empties the path for this run).
    // `settings` must live until `done` runs.
    void checkDumpFolders(ConfigSettings& settings, Prompter& prompter, std::function<void()> done);

    // [Totals] at shutdown: the stored total plus this run's characters, and one more session.
    int saveTotals(std::int32_t totalIncoming, std::int32_t sessionNum);

    static constexpr const char* kUnableToCreate = "Unable to create Config file!";

private:
    std::string read(const char* section, const char* key, const std::string& missing);
    void loadKey(const ConfigKey& row, ConfigSettings& settings, const std::string& systemFolder);
    void checkFolder(std::string& folder, const char* key, const char* label, Prompter& prompter,
                     std::function<void()> done);
    static std::string encode(const ConfigKey& row, const ConfigSettings& settings);

    SettingsStore& m_store;
    std::string m_path;
};

}  // namespace vx
