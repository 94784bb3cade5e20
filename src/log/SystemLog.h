#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Clock.h"
#include "platform/Prompter.h"

namespace vx {

class StatusReporter;

// The system log "VX3_log.txt": one stamped line per event, "VXC3-" + "mmdd-hh:mm:ss " + text,
// each run beginning with a session header. Every line is an open-append-close. A line that
// cannot be written is dropped whole (what reached the file of it is cut off again, so the log
// holds whole lines only) and the program goes on; the failure hook learns of it.
class SystemLog {
public:
    SystemLog(const Clock& clock, const std::string& systemFolder);

    const std::string& path() const { return m_path; }
    bool exists() const;

    // The session number shown in the header: the value stored by the previous shutdown.
    void setSessionNumber(std::int32_t number) { m_session = number; }

    // Appends the line; with newSession the header "==== Session:N - yymmdd-hh:mm" comes first.
    // Callers test the SysLog setting themselves. False when the line could not be written.
    bool WriteLogLine(const std::string& text, bool newSession);

    // Told the reason when a line could not be written: once, and again only after a line has
    // been written since (a full disk would otherwise repeat it for every line; a line the
    // callback itself logs meanwhile does not call it again).
    void setOnWriteFailed(std::function<void(const std::string& reason)> callback) {
        m_onWriteFailed = std::move(callback);
    }

    // The LOGS folder inside the system folder.
    std::string logsFolder() const;
    // Moves the log into the LOGS folder as "LOG-yyyymmdd-hhmmss.txt" (creating the folder and
    // saying so first), or "LOG-yyyymmdd-hhmmss-2.txt" and so on when an archive of that stamp
    // exists: an archive is never replaced. Returns the archive's path, or "" when there was no
    // log, the folder could not be created (the user is told) or the log could not be moved.
    std::string ArchiveLogFile(Prompter& prompter, StatusReporter& status);

private:
    static constexpr int kMaxArchivesPerStamp = 999;

    const Clock& m_clock;
    std::string m_systemFolder;
    std::string m_path;
    std::int32_t m_session = 0;
    bool m_failing = false;
    std::function<void(const std::string&)> m_onWriteFailed;
};

}  // namespace vx
