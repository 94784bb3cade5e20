#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/SystemPaths.h"
#include "config/ConfigFile.h"
#include "config/ConfigSettings.h"
#include "config/Scrambler.h"
#include "directory/BBSList.h"
#include "log/StatusReporter.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"

namespace vx {

// The start-up of the system files: the system folder and its files on the first run (with the
// messages that tell the user, in order), or the configuration loaded on later runs; then the BBS
// list. The shutdown: the run's totals and log lines.
class Startup {
public:
    struct Services {
        SystemPaths paths;
        SettingsStore& store;
        Prompter& prompter;
        const Clock& clock;
        Scrambler& scrambler;
        StatusReporter& status;
        ConfigSettings& config;
        BBSList& bbsList;
        // Opens the help page (the first run offers it).
        std::function<void()> openHelp;
    };

    explicit Startup(Services services) : m_s(std::move(services)) {}

    // Runs the start-up; `done(ok)` gets false when the program must end (its message has been
    // shown). On success the configuration and the BBS list are loaded and the session header and
    // "System Started..." are in the log (when SysLog is on).
    void run(std::function<void(bool ok)> done);
    bool firstRun() const { return m_firstRun; }
    // The folder settings of a configuration from elsewhere that this start reset (the user has
    // been told, and the log has a line for each).
    const std::vector<ConfigFile::FolderReset>& folderResets() const { return m_folderResets; }

    // The end of the run: "System Unloaded", the totals written, the character counts logged.
    // `done` (optional) runs when that is over: at once, or after the user has been told that
    // the totals could not be written.
    void shutdown(std::int64_t charactersThisRun, std::function<void()> done = {});

    static std::string appInfoText();  // " Vexterm v3.14  Build: 717 "

    // The system folder and its BBS list made as the first run makes them, so that boards can be
    // imported before the program ever started; false (the user told why) when it could not be.
    static bool createBBSList(const SystemPaths& paths, BBSList& list);

private:
    void firstRunSetup(std::function<void(bool)> done);
    void loadExisting(std::function<void(bool)> done);
    void bbsListAndFinish(std::function<void(bool)> done);
    void finish(std::function<void(bool)> done);
    void ensureFolder(const std::string& folder, const std::string& statusText);

    Services m_s;
    bool m_firstRun = false;
    bool m_folderCreated = false;
    std::vector<ConfigFile::FolderReset> m_folderResets;
};

}  // namespace vx
