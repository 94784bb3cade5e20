#include "log/StatusReporter.h"

namespace vx {

void StatusReporter::ShowStatus(const std::string& text, bool log, bool refresh) {
    m_sink.setPanelText("pnlSTAT", text, refresh);
    if (log && m_sysLog) m_log.WriteLogLine(text, false);
}

}  // namespace vx
