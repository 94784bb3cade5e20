#include "support/SavedVersions.h"

#include <optional>

#include "config/ConfigFile.h"
#include "config/Scrambler.h"
#include "config/SettingsStore.h"
#include "directory/BBSList.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace vx::test::saved {
namespace {

std::string pathIn(const std::string& folder, const char* name) { return folder + "/" + name; }

// Folders that name no real place: the values only have to come back as they were written.
constexpr const char* kFolder = "/srv/vexterm-saved";

}  // namespace

std::vector<BBSRecord> boardsOf(int version) {
    std::vector<BBSRecord> boards;
    const int count = version == 0 ? 3 : 4;
    for (int n = 1; n <= count; ++n) {
        BBSRecord record;
        const std::string tag = (version == 0 ? "Alpha " : "Beta ") + std::to_string(n);
        record.BBSname = tag + " BBS";
        record.URL = "bbs" + std::to_string(n) + (version == 0 ? ".alpha.test" : ".beta.test");
        record.Port = version == 0 ? 23 + n : 6500 + n;
        record.PortList = std::to_string(record.Port);
        record.Sysop = "Sysop of " + tag;
        record.Comment = std::string(static_cast<std::size_t>(40 * n + version * 17), version == 0 ? 'a' : 'b');
        record.AlarmColValue = static_cast<std::int16_t>(version * 100 + n);
        boards.push_back(record);
    }
    return boards;
}

ConfigSettings settingsOf(int version) {
    ConfigSettings settings = firstRunSettings(kFolder);
    settings.QuotePrefix = version == 0 ? "> " : "|| ";
    settings.CaptureFileName = version == 0 ? "alpha.txt" : "beta-capture.txt";
    settings.DefaultBMPName = version == 0 ? "screen.bmp" : "picture-of-the-screen.bmp";
    settings.VXESendDelay = static_cast<std::int16_t>(version == 0 ? 0 : 250);
    settings.SysLog = version == 0;
    return settings;
}

struct Saver::Parts {
    explicit Parts(const std::string& folder)
        : list(store, prompter, clock, pathIn(folder, kListName)), config(store, pathIn(folder, kConfigName)) {}
    SettingsStore store;
    FakePrompter prompter;
    FakeClock clock;
    BBSList list;
    ConfigFile config;
    bool loaded = false;
};

Saver::Saver(const std::string& folder) : m_parts(new Parts(folder)) {}

Saver::~Saver() { delete m_parts; }

int Saver::listVersion(std::string& problem) {
    if (!m_parts->loaded && !m_parts->list.LoadBBSList()) {
        problem = "the list does not load";
        return -1;
    }
    m_parts->loaded = true;
    return m_parts->list.numBBS() == 3 ? 0 : m_parts->list.numBBS() == 4 ? 1 : -1;
}

// One replacement of the file: the record writers run inside an outer batch, which writes once.
std::string Saver::saveList(int version) {
    BBSList& list = m_parts->list;
    const std::vector<BBSRecord> boards = boardsOf(version);
    SettingsStore::Batch batch(m_parts->store, list.path());
    for (std::size_t i = 0; i < 3; ++i)
        if (!list.SaveBBSRecord(std::to_string(i + 1), boards[i], false)) return "record " + std::to_string(i + 1);
    if (version == 1) {
        const auto added = list.addRecordsAside({boards[3]});
        if (!added || *added != std::vector<int>{4}) return "adding record 4";
    } else if (list.numBBS() == 4 && !list.DeleteBBSRecord("4")) {
        return "deleting record 4";
    }
    const int status = batch.commit();
    return status == SettingsStore::kOk ? std::string() : "the list: " + SettingsStore::statusText(status);
}

std::string Saver::saveConfig(int version) {
    if (m_parts->config.SaveConfig(settingsOf(version)) == ConfigFile::SaveResult::Saved) return {};
    return "the configuration: " + SettingsStore::statusText(m_parts->config.lastSaveStatus());
}

std::string createFiles(const std::string& folder) {
    SettingsStore store;
    FakePrompter prompter;
    FakeClock clock;
    FakeRandom random;
    BBSList list(store, prompter, clock, pathIn(folder, kListName));
    if (!list.CreateBBSListFile() || !list.LoadBBSList()) return "creating the list";
    const std::vector<BBSRecord> boards = boardsOf(0);
    if (!list.addRecordsAside({boards[1], boards[2]})) return "adding the boards";
    ConfigFile config(store, pathIn(folder, kConfigName));
    if (config.WriteConfigHeader(clock.now()) != SettingsStore::kOk) return "the configuration header";
    Scrambler scrambler(random);
    config.LoadConfig(folder, scrambler);  // writes the password marker, as the first run does
    Saver saver(folder);
    std::string problem;
    if (saver.listVersion(problem) != 0) return problem.empty() ? "the new list" : problem;
    if (problem = saver.saveList(0); !problem.empty()) return problem;
    return saver.saveConfig(0);
}

int listVersionOnDisk(const std::string& folder, std::string& problem) {
    SettingsStore store;
    FakePrompter prompter;
    FakeClock clock;
    BBSList list(store, prompter, clock, pathIn(folder, kListName));
    if (!list.LoadBBSList()) {
        problem = "the list does not load: " + (prompter.messages.empty() ? "" : prompter.messages[0].text);
        return -1;
    }
    if (!list.CheckBBSCount(false)) {
        problem = "NumBBS differs from the map";
        return -1;
    }
    for (int version = 0; version < 2; ++version) {
        const std::vector<BBSRecord> boards = boardsOf(version);
        if (list.entries().size() != boards.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < boards.size() && same; ++i) {
            const BBSRecord stored = list.recordOf(std::to_string(i + 1));
            const BBSRecord& wanted = boards[i];
            same = list.entries()[i].id == static_cast<int>(i + 1) && list.entries()[i].name == wanted.BBSname &&
                   stored.BBSname == wanted.BBSname && stored.URL == wanted.URL && stored.Port == wanted.Port &&
                   stored.Sysop == wanted.Sysop && stored.Comment == wanted.Comment &&
                   stored.AlarmColValue == wanted.AlarmColValue;
        }
        if (same) return version;
    }
    problem = "the list is neither version (" + std::to_string(list.entries().size()) + " boards)";
    return -1;
}

namespace {

ConfigSettings loadConfig(const std::string& folder) {
    SettingsStore store;
    FakeRandom random;
    Scrambler scrambler(random);
    ConfigFile config(store, pathIn(folder, kConfigName));
    return config.LoadConfig(folder, scrambler);
}

// Each version as the loader gives it back from a file written in a folder of its own.
const ConfigSettings& loadedVersion(int version) {
    static std::optional<ConfigSettings> loaded[2];
    if (!loaded[version]) {
        TempDir folder;
        SettingsStore store;
        FakeClock clock;
        ConfigFile config(store, pathIn(folder.path().string(), kConfigName));
        config.WriteConfigHeader(clock.now());
        config.SaveConfig(settingsOf(version));
        loadConfig(folder.path().string());  // the password marker, as on the real file
        loaded[version] = loadConfig(folder.path().string());
    }
    return *loaded[version];
}

}  // namespace

int configVersionOnDisk(const std::string& folder, std::string& problem) {
    const ConfigSettings settings = loadConfig(folder);
    for (int version = 0; version < 2; ++version)
        if (settings == loadedVersion(version)) return version;
    problem = "the configuration is neither version (QuotePrefix \"" + settings.QuotePrefix + "\")";
    return -1;
}

}  // namespace vx::test::saved
