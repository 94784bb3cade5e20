#include "session/CallStatus.h"

#include <algorithm>
#include <limits>

#include "base/Formats.h"
#include "session/Connection.h"

namespace vx {
namespace {

std::string trimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::int32_t toInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

CallStatus::CallStatus(Connection& connection, BBSList& list, ConfigSettings& config, StatusReporter& status,
                       ScreenInterpreter& screen)
    : m_connection(connection), m_list(list), m_config(config), m_status(status), m_screen(screen) {}

std::string CallStatus::caption() const {
    return "    Session: " + std::to_string(m_config.SessionNum == 0 ? 1 : m_config.SessionNum);
}

bool CallStatus::online() const { return m_connection.connected(); }

std::string CallStatus::incomingText() const { return formatThousands(m_connection.sessionChars()); }

std::string CallStatus::totalText() const { return formatThousands(m_config.TotalIncoming); }

void CallStatus::callStarted() {
    m_connection.takeIntervalChars();
    m_tickCounter = 1;
}

void CallStatus::tick() {
    if (m_slot == 0) m_slot = 1;
    if (!m_config.SpeedCheck || m_tickCounter < 1) {
        changed();
        return;
    }
    if (!m_connection.connected()) {
        m_speedText = "0";
        m_averageText = "0";
        m_tickCounter = 1;
        m_samples.fill(0);
        m_firstSample = true;
        changed();
        return;
    }
    if (m_tickCounter % 4 == 0) sample();
    ++m_tickCounter;
    changed();
}

void CallStatus::sample() {
    const std::int64_t characters = m_connection.takeIntervalChars();
    const std::int32_t bits = toInt32(characters * 8);
    m_samples[static_cast<std::size_t>(m_slot - 1)] = bits;
    if (m_firstSample) {
        m_samples.fill(bits);
        m_firstSample = false;
    }
    m_slot = m_slot % 4 + 1;
    std::int64_t sum = 0;
    for (std::int32_t s : m_samples) sum += s;
    m_speedText = std::to_string(bits) + " / " + std::to_string(characters);
    // Every sample is whole characters of 8 bits, so the sum of four always divides by four.
    m_averageText = std::to_string(sum / 4);
    m_history.push_back(bits);
    if (m_history.size() > kHistory) m_history.pop_front();

    BBSRecord& record = m_list.record();
    if (bits > record.MaxBaud) {
        record.MaxBaud = bits;
        if (m_maximum) m_maximum(bits);
        if (bits >= 2001 && logOn()) writeLog(" ** Max BPS: " + std::to_string(bits) + " **");
    }
    m_tickCounter = 1;
}

void CallStatus::setMeasurement(bool on) {
    m_config.SpeedCheck = on;
    m_connection.takeIntervalChars();
    if (logOn()) writeLog(std::string(" > Speed check = ") + (on ? "1" : "0"));
    changed();
}

void CallStatus::setSpeedTest(bool on) {
    m_screen.flags().speedTest = on;
    // Written whatever the SysLog switch says: a test run is worth a line.
    writeLog(on ? " > SpeedTest enabled..." : " < SpeedTest disabled...");
    changed();
}

bool CallStatus::manualEntry(const std::string& text) {
    const std::string entry = trimBlanks(text);
    if (entry.empty() || !logOn()) return false;
    writeLog(entry);
    m_status.ShowStatus("Manual Log Entry", false, false);
    return true;
}

void CallStatus::updateTotal() {
    m_config.TotalIncoming = toInt32(static_cast<std::int64_t>(m_config.TotalIncoming) + m_connection.sessionChars());
    m_connection.resetSessionChars();
    if (logOn()) {
        writeLog(" . Char Total manually updated");
        writeLog(" : Chars session ..: " + formatThousands(m_connection.sessionChars()));
        writeLog(" : Total Chars ....: " + formatThousands(m_config.TotalIncoming));
    }
    changed();
}

}  // namespace vx
