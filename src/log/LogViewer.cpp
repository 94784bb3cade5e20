#include "log/LogViewer.h"

#include <filesystem>
#include <fstream>

namespace vx {

LogViewer::LogViewer(SystemLog& log, StatusReporter& status, Prompter& prompter, Hooks hooks)
    : m_log(log), m_status(status), m_prompter(prompter), m_hooks(std::move(hooks)) {}

std::optional<std::string> LogViewer::loadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text, line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text += line + "\r\n";
        // The program never writes an empty line: one means the rest is not the log's.
        if (line.empty()) break;
    }
    return text;
}

void LogViewer::clearLog() {
    m_prompter.askYesNo("Do you want to clear the system log?", "Clear Log", MessageIcon::Question,
                        [this, alive = std::weak_ptr<bool>(m_alive)](bool yes) {
                            if (alive.expired()) return;
                            if (yes) {
                                if (m_log.exists()) {
                                    if (removeLog("ERROR: Log File Not Cleared!"))
                                        m_status.ShowStatus("Log File Re-started!", true, false);
                                } else {
                                    m_prompter.message(notFoundText(), "", MessageIcon::None);
                                    m_status.ShowStatus("Log File not found!", true, false);
                                }
                            }
                            close();
                        });
}

void LogViewer::deleteLog() {
    m_prompter.askYesNo("Delete the Log File!!!\r\rAre you sure?", "DELETE LOG FILE", MessageIcon::Question,
                        [this, alive = std::weak_ptr<bool>(m_alive)](bool yes) {
                            if (alive.expired()) return;
                            if (yes) {
                                if (m_log.exists())
                                    removeLog("ERROR: Log File Not Deleted!");
                                else
                                    m_prompter.message(notFoundText(), "", MessageIcon::None);
                            }
                            offerToDisable();
                        });
}

bool LogViewer::removeLog(const std::string& failure) {
    std::error_code error;
    if (std::filesystem::remove(m_log.path(), error)) return true;
    // The old lines stay; the failure goes after them, where the next look at the log finds it.
    m_prompter.message(failure + "\r\r" + m_log.path() + "\r(" + error.message() + ")", "", MessageIcon::Critical);
    m_status.ShowStatus(failure, true, true);
    return false;
}

void LogViewer::offerToDisable() {
    if (!m_status.sysLog()) {
        close();
        return;
    }
    m_prompter.askYesNo("Do you want to disable the system log?", "System Log", MessageIcon::Question,
                        [this, alive = std::weak_ptr<bool>(m_alive)](bool yes) {
                            if (alive.expired()) return;
                            if (yes) {
                                // For this run only: the configuration keeps SysLog.
                                m_status.setSysLog(false);
                                if (m_hooks.disabled) m_hooks.disabled();
                                m_prompter.message("LogFile disabled for this session!", "System Log",
                                                   MessageIcon::Information);
                            }
                            close();
                        });
}

void LogViewer::renameLog() {
    if (!m_status.sysLog()) {
        close();
        return;
    }
    m_prompter.askYesNo("Do you want to rename the system log?", "Rename Log", MessageIcon::Question,
                        [this, alive = std::weak_ptr<bool>(m_alive)](bool yes) {
                            if (alive.expired()) return;
                            if (yes) {
                                const std::string archive = m_log.ArchiveLogFile(m_prompter, m_status);
                                if (!archive.empty()) {
                                    m_status.ShowStatus("LOG file renamed", true, true);
                                    m_log.WriteLogLine(archive, false);
                                } else {
                                    m_prompter.message("ERROR: Log File Not Renamed!", "", MessageIcon::Critical);
                                    m_status.ShowStatus("ERROR: Log File Not Renamed!", true, true);
                                }
                            }
                            close();
                        });
}

}  // namespace vx
