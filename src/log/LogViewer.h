#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "log/StatusReporter.h"
#include "log/SystemLog.h"
#include "platform/Prompter.h"

namespace vx {

// What the log viewer does with the log: reading it for the window, clearing it, deleting it
// (and perhaps stopping the log for the rest of the run) and archiving it into LOGS. Every
// action asks first and ends by closing the viewer.
class LogViewer {
public:
    struct Hooks {
        std::function<void()> close{};     // the viewer closes
        std::function<void()> disabled{};  // the log was switched off: cmdViewSL goes away
    };

    LogViewer(SystemLog& log, StatusReporter& status, Prompter& prompter, Hooks hooks);

    // The viewer's text: the file's lines, each ending in CR LF, up to and including the first
    // empty line. Nothing when there is no log.
    static std::optional<std::string> loadText(const std::string& path);
    // "File not found: " CR LF path: the viewer does not open.
    std::string notFoundText() const { return "File not found: \r\n" + m_log.path(); }

    void clearLog();   // "Clear Log"
    void deleteLog();  // "Delete Log File"
    void renameLog();  // "Rename Log File"

private:
    void close() const {
        if (m_hooks.close) m_hooks.close();
    }
    void offerToDisable();
    // Removes the log file; a failure is told with `failure` and the reason. True when removed.
    bool removeLog(const std::string& failure);

    SystemLog& m_log;
    StatusReporter& m_status;
    Prompter& m_prompter;
    Hooks m_hooks;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace vx
