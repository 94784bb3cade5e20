#pragma once

#include <string>

#include "log/SystemLog.h"
#include "platform/StatusSink.h"

namespace vx {

// The one way every part of the program reports progress: the text goes to the status panel
// "pnlSTAT" and, when asked and the system log is on, into the log.
class StatusReporter {
public:
    StatusReporter(StatusSink& sink, SystemLog& log) : m_sink(sink), m_log(log) {}

    void ShowStatus(const std::string& text, bool log, bool refresh);

    // The in-memory SysLog switch (the log viewer can turn it off for the rest of the run).
    bool sysLog() const { return m_sysLog; }
    void setSysLog(bool on) { m_sysLog = on; }

    SystemLog& log() { return m_log; }
    StatusSink& sink() { return m_sink; }

private:
    StatusSink& m_sink;
    SystemLog& m_log;
    bool m_sysLog = false;
};

}  // namespace vx
