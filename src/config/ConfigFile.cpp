#include "config/ConfigFile.h"

#include <filesystem>

#include "base/Formats.h"
#include "base/SystemPaths.h"
#include "base/Version.h"

namespace vx {
namespace {

const std::string kType = "S";

// Text values are trimmed once the profile read has removed the quotes around them, so that
// QuotePrefix=" -> " holds "->". The password is kept exactly: its scrambled text is its own.
std::string trimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The folder settings a configuration carries, in key-table order.
constexpr const char* kFolderKeys[] = {"SysFolder", "CaptureFolder", "ScreenDumpPath", "MojisDumpPath",
                                       "DownloadsPath"};

}  // namespace

int ConfigFile::WriteConfigHeader(const LocalDateTime& now) {
    const std::string newLine = "\r\n";
    std::string text;
    text += std::string("; ") + kProgramTitle + " Configuration File" + newLine;
    text += ";" + newLine;
    text += ";    Version " + versionWithBuild() + newLine;
    text += ";    File created: " + formatStampDateTime(now) + newLine;
    text += ";" + newLine;
    text += "[Config]" + newLine;
    text += "Version=" + versionNumber() + newLine;
    text += "Build=" + std::to_string(kRevision) + newLine;
    return m_store.replaceFile(m_path, text);
}

std::string ConfigFile::encode(const ConfigKey& row, const ConfigSettings& settings) {
    if (std::string_view(row.key) == "DispCharCnt") return "False";
    if (std::string_view(row.key) == "TextWindow") return settings.UseTW ? "True" : "False";
    return std::visit(
        [&](auto member) -> std::string {
            const auto& value = settings.*member;
            using T = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<T, bool>) {
                return value ? "True" : "False";
            } else if constexpr (std::is_same_v<T, std::int16_t>) {
                return row.kind == ConfigKey::Kind::NumberWithBlank ? formatLeadingBlank(value) : std::to_string(value);
            } else {
                if (row.kind != ConfigKey::Kind::StayAliveField) return value;
                return value.substr(0, value.find_last_not_of(' ') + 1);
            }
        },
        row.field);
}

ConfigFile::SaveResult ConfigFile::SaveConfig(const ConfigSettings& settings) {
    SettingsStore::Batch batch(m_store, m_path);
    bool first = true;
    for (const ConfigKey& row : configKeys()) {
        const int status = m_store.WriteSettingValue(m_path, row.section, row.key, kType, encode(row, settings));
        if (first && status != SettingsStore::kOk) {
            m_lastSaveStatus = status;
            return SaveResult::NoFile;
        }
        first = false;
    }
    m_lastSaveStatus = batch.commit();
    return m_lastSaveStatus == SettingsStore::kOk ? SaveResult::Saved : SaveResult::WriteFailed;
}

std::string ConfigFile::read(const char* section, const char* key, const std::string& missing) {
    std::string value;
    m_store.ReadSettingValue(m_path, section, key, kType, missing, value);
    return value;
}

void ConfigFile::loadKey(const ConfigKey& row, ConfigSettings& settings, const std::string& systemFolder) {
    const std::string value = read(row.section, row.key, resolveConfigDefault(row.missing, systemFolder));
    std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<T, bool>)
                settings.*member = TextToBoolean(value);
            else if constexpr (std::is_same_v<T, std::int16_t>)
                settings.*member = clampToInt16(parseLeadingNumber(value));
            else if (row.kind == ConfigKey::Kind::StayAliveField)
                settings.setStayAliveChar(trimBlanks(value));
            else if (member == &ConfigSettings::SData)
                settings.*member = value;
            else
                settings.*member = trimBlanks(value);
        },
        row.field);
}

ConfigSettings ConfigFile::LoadConfig(const std::string& systemFolder, Scrambler& scrambler) {
    ConfigSettings settings;
    // The folder defaults are built from the SysFolder the file holds.
    settings.SysFolder = trimBlanks(read("Config", "SysFolder", systemFolder));
    const std::string& folder = settings.SysFolder.empty() ? systemFolder : settings.SysFolder;
    for (const ConfigKey& row : configKeys())
        if (row.loaded) loadKey(row, settings, folder);
    settings.TextWindow = settings.UseTW;
    settings.TotalIncoming = clampToInt32(parseLeadingNumber(read("Totals", "TotalIncoming", "0")));
    settings.SessionNum = clampToInt32(parseLeadingNumber(read("Totals", "SessionNum", "0")));

    // The Password key is only a marker holding the scrambled key text; the password is SData.
    if (read("Config", "Password", "").empty())
        m_store.WriteSettingValue(m_path, "Config", "Password", kType, scrambler.ScrambleText(Scrambler::kKey));

    settings.DATAwritten = TextToBoolean(read("Positions", "DATAwritten", "False"));
    return settings;
}

std::vector<ConfigFile::FolderReset> ConfigFile::resetForeignFolders(ConfigSettings& settings,
                                                                     const std::string& systemFolder) {
    std::vector<FolderReset> resets;
    for (const char* key : kFolderKeys) {
        const ConfigKey* row = findConfigKey(key);
        std::string& value = settings.*std::get<std::string ConfigSettings::*>(row->field);
        if (value.empty() || isLocalAbsolutePath(value)) continue;
        resets.push_back({key, value, resolveConfigDefault(row->missing, systemFolder)});
        value = resets.back().newValue;
    }
    if (resets.empty()) return resets;
    // Written back so that the next run starts from real folders; a file that cannot be written
    // gets the same reset (and message) again next time.
    SettingsStore::Batch batch(m_store, m_path);
    for (const FolderReset& reset : resets)
        m_store.WriteSettingValue(m_path, findConfigKey(reset.key)->section, reset.key, kType, reset.newValue);
    batch.commit();
    return resets;
}

std::string ConfigFile::folderResetMessage(const std::vector<FolderReset>& resets) {
    std::string text = "Folder settings of the Config file that cannot be used on this system were reset:\r";
    for (const FolderReset& reset : resets) text += "\r" + reset.key + "=" + reset.oldValue;
    text += "\r\rNow:\r";
    for (const FolderReset& reset : resets) text += "\r" + reset.key + "=" + reset.newValue;
    return text;
}

std::string ConfigFile::folderResetLogLine(const FolderReset& reset) {
    return "Config: " + reset.key + " reset from " + reset.oldValue + " to " + reset.newValue;
}

void ConfigFile::checkDumpFolders(ConfigSettings& settings, Prompter& prompter, std::function<void()> done) {
    checkFolder(settings.ScreenDumpPath, "ScreenDumpPath", "Screen Dump Path: ", prompter,
                [this, &settings, &prompter, done = std::move(done)]() mutable {
                    checkFolder(settings.MojisDumpPath, "MojisDumpPath", "Mojis Path: ", prompter, std::move(done));
                });
}

void ConfigFile::checkFolder(std::string& folder, const char* key, const char* label, Prompter& prompter,
                             std::function<void()> done) {
    std::error_code error;
    if (folder.empty() || std::filesystem::is_directory(folder, error)) {
        if (done) done();
        return;
    }
    const std::string question = std::string(label) + "\r" + folder + "\r" + "Does not exist! Do you want to create it?";
    prompter.askYesNo(question, "", MessageIcon::Question, [this, &folder, key, done = std::move(done)](bool yes) {
        if (yes) {
            std::error_code ignored;
            std::filesystem::create_directories(folder, ignored);
            m_store.WriteSettingValue(m_path, "Capture", key, kType, folder);
        } else {
            folder.clear();
        }
        if (done) done();
    });
}

std::string ConfigFile::writeFailureMessage(const std::string& path, int status, const std::string& notSaved) {
    return "Unable to write the Config file:\r" + path + "\r(" + SettingsStore::statusText(status) + ")\r\r" + notSaved;
}

int ConfigFile::saveTotals(std::int32_t totalIncoming, std::int32_t sessionNum) {
    SettingsStore::Batch batch(m_store, m_path);
    m_store.WriteSettingValue(m_path, "Totals", "TotalIncoming", kType, formatLeadingBlank(totalIncoming));
    m_store.WriteSettingValue(m_path, "Totals", "SessionNum", kType, formatLeadingBlank(sessionNum));
    const int committed = batch.commit();
    // A batch on a file that is gone commits nothing and calls that success; the totals were lost.
    return batch.openStatus() != SettingsStore::kOk ? batch.openStatus() : committed;
}

}  // namespace vx
