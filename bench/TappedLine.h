#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vx::bench {

// A loopback relay between the program and a board that notes when each byte the program sends
// reaches the wire. It runs on its own thread, so it sees the bytes even while the program's event
// loop is busy, and it can press keys (through `pressKey`, called on its thread) at a steady pace:
// the time from each press to its byte on the wire is the program's key latency.
class TappedLine {
public:
    using Clock = std::chrono::steady_clock;

    explicit TappedLine(int boardPort);
    ~TappedLine();
    TappedLine(const TappedLine&) = delete;
    TappedLine& operator=(const TappedLine&) = delete;

    // The port the program should dial, or 0 when the relay could not listen.
    int port() const { return m_port; }

    // From now on a key is pressed every `everyMs` until stopKeys(); each press must give exactly
    // one byte towards the board.
    void startKeys(int everyMs, std::function<void()> pressKey);
    void stopKeys();
    // Milliseconds from each press to its byte, in order (presses still waiting are left out).
    std::vector<double> keyLatenciesMs() const;
    int keysWaiting() const;

private:
    void run();
    void pressDueKey();
    bool take(int from, std::string& pending, bool fromProgram);
    bool give(int to, std::string& pending);

    int m_listen = -1;
    int m_port = 0;
    int m_boardPort = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::function<void()> m_pressKey;
    int m_everyMs = 0;
    Clock::time_point m_nextPress;
    std::deque<Clock::time_point> m_pressed;
    std::vector<double> m_latencies;
};

}  // namespace vx::bench
