#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "config/ConfigSettings.h"
#include "directory/BBSList.h"
#include "log/StatusReporter.h"
#include "screen/ScreenInterpreter.h"

namespace vx {

class Connection;

// What the status window shows and does: online or not, the board, the character counts, the
// measured speed (a sample of the bits received every three seconds, the first after a connect
// over four, and the average of the last four), the session's highest speed, the Speed Test and
// AutoNext switches, manual log entries and the "Total:" update.
class CallStatus {
public:
    static constexpr std::size_t kHistory = 120;  // samples kept for the graph

    CallStatus(Connection& connection, BBSList& list, ConfigSettings& config, StatusReporter& status,
               ScreenInterpreter& screen);

    // Every second, after the online clock (Timer3).
    void tick();
    // A call came up: the interval count starts again and the tick counter is 1.
    void callStarted();

    // The window's fields.
    std::string caption() const;  // "    Session: N" (0 shows as 1)
    bool online() const;
    std::string incomingText() const;
    std::string totalText() const;
    const std::string& speedText() const { return m_speedText; }
    const std::string& averageText() const { return m_averageText; }
    // The samples, oldest first, for the graph (bits per second, one every three seconds).
    const std::deque<int>& history() const { return m_history; }
    bool measurement() const { return m_config.SpeedCheck; }
    bool speedTest() const { return m_screen.flags().speedTest; }
    bool autoNext() const { return m_config.AutoNext; }

    // The controls.
    void setMeasurement(bool on);           // "Enable"
    void setSpeedTest(bool on);             // "Speed Test"
    void setAutoNext(bool on) { m_config.AutoNext = on; }
    // "Man. Log Entry": true when the text was written (the box is then emptied).
    bool manualEntry(const std::string& text);
    void updateTotal();                     // "Total:"

    void setOnChanged(std::function<void()> changed) { m_changed = std::move(changed); }
    // The BBS editor shows a new maximum in its "Maxbps:" box.
    void setOnMaximum(std::function<void(int)> maximum) { m_maximum = std::move(maximum); }

private:
    bool logOn() const { return m_status.sysLog(); }
    void writeLog(const std::string& text) { m_status.log().WriteLogLine(text, false); }
    void sample();
    void changed() const {
        if (m_changed) m_changed();
    }

    Connection& m_connection;
    BBSList& m_list;
    ConfigSettings& m_config;
    StatusReporter& m_status;
    ScreenInterpreter& m_screen;
    std::function<void()> m_changed;
    std::function<void(int)> m_maximum;

    int m_tickCounter = 0;
    std::array<std::int32_t, 4> m_samples{};
    int m_slot = 0;  // 1 to 4 once the first tick ran
    bool m_firstSample = false;
    std::string m_speedText = "0";
    std::string m_averageText = "0";
    std::deque<int> m_history;
};

}  // namespace vx
