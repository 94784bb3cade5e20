#include "session/Startup.h"

#include <filesystem>
#include <memory>

#include "base/Formats.h"
#include "base/Version.h"
#include "tools/MojiFiles.h"

namespace vx {
namespace {

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool isFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string Startup::appInfoText() { return std::string(" ") + kProgramTitle + " v" + versionWithBuild() + " "; }

bool Startup::createBBSList(const SystemPaths& paths, BBSList& list) {
    std::error_code ignored;  // a folder that cannot be made shows as a list that cannot be written
    std::filesystem::create_directories(paths.systemFolder, ignored);
    return list.CreateBBSListFile();
}

void Startup::ensureFolder(const std::string& folder, const std::string& statusText) {
    if (isFolder(folder)) return;
    m_s.status.ShowStatus(statusText, false, true);
    std::error_code ignored;  // what cannot be created is reported by the steps that write there
    std::filesystem::create_directories(folder, ignored);
}

void Startup::run(std::function<void(bool ok)> done) {
    m_firstRun = !isFile(m_s.paths.configFile());
    if (m_firstRun)
        firstRunSetup(std::move(done));
    else
        loadExisting(std::move(done));
}

void Startup::firstRunSetup(std::function<void(bool)> done) {
    const std::string& folder = m_s.paths.systemFolder;
    if (!isFolder(folder)) {
        std::error_code ignored;
        m_folderCreated = std::filesystem::create_directories(folder, ignored);
    }
    m_s.status.ShowStatus("Creating System...", false, true);
    m_s.config = firstRunSettings(folder);
    ensureFolder(m_s.config.CaptureFolder, "Creating Capture Folder...");
    ensureFolder(m_s.config.ScreenDumpPath, "Creating Screen Folder...");
    if (!isFolder(m_s.config.MojisDumpPath)) {
        ensureFolder(m_s.config.MojisDumpPath, "Creating 'Mojis Folder...");
        CreateSystemMojis(m_s.config.MojisDumpPath, m_s.status);
    }

    auto writeConfig = [this, done = std::move(done)]() mutable {
        m_s.status.ShowStatus("Creating Config File...", false, true);
        ConfigFile config(m_s.store, m_s.paths.configFile());
        const bool written = config.WriteConfigHeader(m_s.clock.now()) == SettingsStore::kOk &&
                             config.SaveConfig(m_s.config) == ConfigFile::SaveResult::Saved;
        if (!written) {
            m_s.prompter.message(ConfigFile::kUnableToCreate, "", MessageIcon::Critical, [done] { done(false); });
            return;
        }
        m_s.prompter.message("Config File created: \r" + m_s.paths.configFile(), "", MessageIcon::Information,
                             [this, done] { bbsListAndFinish(done); });
    };
    if (m_folderCreated)
        m_s.prompter.message("System Folders Created! ", "", MessageIcon::Information, std::move(writeConfig));
    else
        writeConfig();
}

void Startup::loadExisting(std::function<void(bool)> done) {
    const std::string path = m_s.paths.configFile();
    // A file that cannot be read is not taken for an empty one: that would replace the user's
    // settings with defaults at the next save.
    if (const int status = m_s.store.fileStatus(path); status != SettingsStore::kOk) {
        m_s.prompter.message(
            std::string(ConfigFile::kUnableToRead) + "\r" + path + "\r(" + SettingsStore::statusText(status) + ")", "",
            MessageIcon::Critical, [done] { done(false); });
        return;
    }
    // The file object lives until its questions about missing dump folders are answered.
    auto config = std::make_shared<ConfigFile>(m_s.store, path);
    m_s.config = config->LoadConfig(m_s.paths.systemFolder, m_s.scrambler);
    m_folderResets = config->resetForeignFolders(m_s.config, m_s.paths.systemFolder);
    auto askAboutFolders = [this, config, done = std::move(done)]() mutable {
        config->checkDumpFolders(m_s.config, m_s.prompter, [this, config, done = std::move(done)]() mutable {
            bbsListAndFinish(std::move(done));
        });
    };
    if (m_folderResets.empty()) {
        askAboutFolders();
        return;
    }
    m_s.prompter.message(ConfigFile::folderResetMessage(m_folderResets), "", MessageIcon::Exclamation,
                         std::move(askAboutFolders));
}

void Startup::bbsListAndFinish(std::function<void(bool)> done) {
    const std::string listPath = m_s.paths.bbsListFile();
    const auto loadList = [this, done]() {
        if (!m_s.bbsList.LoadBBSList()) {
            done(false);
            return;
        }
        if (!m_firstRun) {
            finish(done);
            return;
        }
        m_s.prompter.askYesNo("Would you like to view the help file?", "", MessageIcon::Question,
                              [this, done](bool yes) {
                                  if (yes && m_s.openHelp) m_s.openHelp();
                                  finish(done);
                              });
    };
    if (isFile(listPath)) {
        loadList();
        return;
    }
    m_s.status.ShowStatus("Creating BBS List...", false, true);
    if (!createBBSList(m_s.paths, m_s.bbsList)) {
        loadList();  // the list check reports what is wrong with it
        return;
    }
    m_s.prompter.message("BBS List created: \r" + listPath, "", MessageIcon::Information, loadList);
}

void Startup::finish(std::function<void(bool)> done) {
    const auto logStart = [this, done] {
        m_s.status.setSysLog(m_s.config.SysLog);
        m_s.status.log().setSessionNumber(m_s.config.SessionNum);
        if (m_s.config.SysLog) {
            m_s.status.log().WriteLogLine("v" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
                                              "." + std::to_string(kRevision) + " - System Started...",
                                          true);
            for (const ConfigFile::FolderReset& reset : m_folderResets)
                m_s.status.log().WriteLogLine(ConfigFile::folderResetLogLine(reset), false);
        }
        done(true);
    };
    if (!m_s.config.CaptureFolder.empty() && !isFolder(m_s.config.CaptureFolder)) {
        std::error_code ignored;
        std::filesystem::create_directories(m_s.config.CaptureFolder, ignored);
        m_s.prompter.message("Capture Folder Created: " + m_s.config.CaptureFolder, "", MessageIcon::Information,
                             logStart);
        return;
    }
    logStart();
}

void Startup::shutdown(std::int64_t charactersThisRun, std::function<void()> done) {
    SystemLog& log = m_s.status.log();
    const bool logging = m_s.status.sysLog();
    if (logging) log.WriteLogLine("System Unloaded", false);
    const std::int64_t total = std::int64_t{m_s.config.TotalIncoming} + charactersThisRun;
    m_s.config.TotalIncoming = clampToInt32(total);
    m_s.config.SessionNum = clampToInt32(std::int64_t{m_s.config.SessionNum} + 1);
    const std::string path = m_s.paths.configFile();
    const int saved = ConfigFile(m_s.store, path).saveTotals(m_s.config.TotalIncoming, m_s.config.SessionNum);
    if (logging) {
        if (charactersThisRun > 0)
            log.WriteLogLine(" : Chars session ..: " + formatThousands(charactersThisRun), false);
        log.WriteLogLine(" : Total Chars ....: " + formatThousands(m_s.config.TotalIncoming), false);
    }
    if (saved == SettingsStore::kOk) {
        if (done) done();
        return;
    }
    // The file keeps the totals of the last run that could write them; only this run's are lost.
    m_s.prompter.message(ConfigFile::writeFailureMessage(path, saved, "The totals of this session were not saved."), "",
                         MessageIcon::Exclamation, std::move(done));
}

}  // namespace vx
