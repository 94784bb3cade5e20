#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/Timer.h"

namespace vx::test {

// Wall-clock time and timers for tests that talk to a real program: the test's own loop asks how
// long it may wait (msUntilDue) and fires what came due (fireDue).
class RealTimeline : public Clock, public TimerFactory {
public:
    RealTimeline();
    ~RealTimeline() override;
    LocalDateTime now() const override;
    std::int64_t steadyMs() const override;
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;

    // Milliseconds until the next timer is due (0 if one is), -1 when none is active.
    int msUntilDue() const;
    void fireDue();

private:
    class RealTimer;
    std::vector<RealTimer*> m_timers;
};

// A program (sx, rb, ...) whose standard input and output are the far end of a TCP connection
// on 127.0.0.1; the near end is ours. Its standard error goes to `errorLog`.
class LoopbackPeer {
public:
    LoopbackPeer(const std::vector<std::string>& argv, const std::string& workDir, const std::string& errorLog);
    ~LoopbackPeer();  // a peer still running is killed
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    bool started() const { return m_pid > 0 && m_fd >= 0; }
    pid_t pid() const { return m_pid; }
    // Writes everything (the peer reads as we write, so this cannot block for long).
    void send(std::string_view bytes);
    // Exit status once the peer ended within `limitMs`, -1 otherwise.
    int waitForExit(int limitMs);
    void stop();      // SIGSTOP: the peer goes silent
    void resume();    // SIGCONT

    // Feeds what the peer sends to `onBytes` and fires `timeline`'s timers until `done` holds or
    // `limitMs` passed. Returns whether `done` held.
    bool pump(RealTimeline& timeline, const std::function<void(std::string_view)>& onBytes,
              const std::function<bool()>& done, int limitMs);

private:
    pid_t m_pid = -1;
    int m_fd = -1;
    bool m_exited = false;
    int m_status = -1;
};

// Names the peer programs by their path; empty when not installed.
std::string findProgram(const std::string& name);

}  // namespace vx::test
