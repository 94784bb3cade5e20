#include "support/LoopbackPeer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <stdexcept>

namespace vx::test {
namespace {

std::int64_t steadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void noDelay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace

class RealTimeline::RealTimer : public Timer {
public:
    RealTimer(RealTimeline& timeline, std::function<void()> callback)
        : m_timeline(&timeline), m_callback(std::move(callback)) {
        m_timeline->m_timers.push_back(this);
    }
    ~RealTimer() override {
        if (m_timeline) std::erase(m_timeline->m_timers, this);
    }
    void start(int intervalMs, bool repeat) override {
        m_interval = std::max(intervalMs, 0);
        m_repeat = repeat;
        m_due = steadyNowMs() + m_interval;
        m_active = true;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    RealTimeline* m_timeline;
    std::function<void()> m_callback;
    std::int64_t m_due = 0;
    int m_interval = 0;
    bool m_repeat = false;
    bool m_active = false;
};

RealTimeline::RealTimeline() = default;

RealTimeline::~RealTimeline() {
    for (RealTimer* timer : m_timers) timer->m_timeline = nullptr;
}

LocalDateTime RealTimeline::now() const {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::int64_t RealTimeline::steadyMs() const { return steadyNowMs(); }

std::unique_ptr<Timer> RealTimeline::createTimer(std::function<void()> onTimeout) {
    return std::make_unique<RealTimer>(*this, std::move(onTimeout));
}

int RealTimeline::msUntilDue() const {
    std::int64_t next = -1;
    const std::int64_t now = steadyNowMs();
    for (const RealTimer* timer : m_timers) {
        if (!timer->m_active) continue;
        const std::int64_t wait = std::max<std::int64_t>(0, timer->m_due - now);
        if (next < 0 || wait < next) next = wait;
    }
    return static_cast<int>(next);
}

void RealTimeline::fireDue() {
    const std::int64_t now = steadyNowMs();
    // A callback may start or stop timers (or create new ones): look again after each.
    for (bool fired = true; fired;) {
        fired = false;
        for (RealTimer* timer : m_timers) {
            if (!timer->m_active || timer->m_due > now) continue;
            if (timer->m_repeat)
                timer->m_due += std::max(timer->m_interval, 1);
            else
                timer->m_active = false;
            timer->m_callback();
            fired = true;
            break;
        }
    }
}

LoopbackPeer::LoopbackPeer(const std::vector<std::string>& argv, const std::string& workDir,
                           const std::string& errorLog) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener >= 0) ::close(listener);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0 || ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(listener);
        throw std::runtime_error("cannot connect to 127.0.0.1");
    }
    const int far = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    ::close(listener);
    if (far < 0) throw std::runtime_error("cannot accept on 127.0.0.1");
    noDelay(m_fd);
    noDelay(far);

    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid == 0) {
        const int log = ::open(errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::chdir(workDir.c_str()) != 0) ::_exit(126);
        ::dup2(far, 0);
        ::dup2(far, 1);
        if (log >= 0) ::dup2(log, 2);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(far);
    if (m_pid < 0) throw std::runtime_error("cannot start the peer");
}

LoopbackPeer::~LoopbackPeer() {
    if (m_fd >= 0) ::close(m_fd);
    if (m_pid > 0 && !m_exited) {
        ::kill(m_pid, SIGKILL);
        ::kill(m_pid, SIGCONT);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void LoopbackPeer::send(std::string_view bytes) {
    while (!bytes.empty() && m_fd >= 0) {
        const ssize_t written = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // the peer went away; the engine finds out by its timeouts
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

int LoopbackPeer::waitForExit(int limitMs) {
    const std::int64_t end = steadyNowMs() + limitMs;
    while (!m_exited) {
        int status = 0;
        const pid_t got = ::waitpid(m_pid, &status, WNOHANG);
        if (got == m_pid) {
            m_exited = true;
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (steadyNowMs() >= end) return -1;
        ::poll(nullptr, 0, 5);
    }
    return m_status;
}

void LoopbackPeer::stop() { ::kill(m_pid, SIGSTOP); }
void LoopbackPeer::resume() { ::kill(m_pid, SIGCONT); }

bool LoopbackPeer::pump(RealTimeline& timeline, const std::function<void(std::string_view)>& onBytes,
                        const std::function<bool()>& done, int limitMs) {
    const std::int64_t end = steadyNowMs() + limitMs;
    std::string buffer(65536, '\0');
    bool open = m_fd >= 0;
    while (!done()) {
        const std::int64_t left = end - steadyNowMs();
        if (left <= 0) return false;
        const int due = timeline.msUntilDue();
        const int wait = static_cast<int>(due < 0 ? left : std::min<std::int64_t>(due, left));
        pollfd watch{open ? m_fd : -1, POLLIN, 0};
        const int ready = ::poll(&watch, 1, wait);
        if (ready > 0 && (watch.revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t got = ::recv(m_fd, buffer.data(), buffer.size(), 0);
            if (got > 0)
                onBytes(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
            else if (got == 0 || errno != EINTR)
                open = false;  // the peer closed: only the timers can end the transfer now
        }
        timeline.fireDue();
    }
    return true;
}

std::string findProgram(const std::string& name) {
    for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        const std::string path = std::string(folder) + name;
        if (::access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

}  // namespace vx::test
