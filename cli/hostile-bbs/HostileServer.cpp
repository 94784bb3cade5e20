#include "HostileServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <string_view>
#include <thread>
#include <utility>

namespace vx::hostile {
namespace {

// The caller's side of one call: writes that wait for room while taking (or not taking) what
// the caller sends, and the check whether the caller is still there.
class Line {
public:
    Line(int socket, Listening listening) : m_socket(socket), m_listening(listening) {}
    ~Line() {
        if (m_socket >= 0) ::close(m_socket);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // False once the caller is gone.
    bool send(std::string_view bytes) {
        while (!bytes.empty()) {
            if (!waitFor(POLLOUT, -1)) return false;
            const ssize_t n = ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // Waits up to `ms` (for ever when negative); false once the caller is gone.
    bool pause(int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (true) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (ms >= 0 && left.count() <= 0) return true;
            if (!waitFor(0, ms < 0 ? -1 : static_cast<int>(left.count()))) return false;
        }
    }

    void reset() {
        // No lingering: the close sends RST and drops whatever is still unsent.
        const linger abrupt{1, 0};
        ::setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
        ::close(std::exchange(m_socket, -1));
    }

    void closeOrderly() {
        ::shutdown(m_socket, SHUT_WR);
        // The caller's last bytes are taken until it closes too, so no RST is sent for them.
        pause(5000);
    }

private:
    // Waits for `events` (or only for the caller's bytes when 0) and takes what the caller sent
    // when listening. False when the caller closed or the line broke.
    bool waitFor(short events, int timeoutMs) {
        while (true) {
            const bool reading = m_listening == Listening::Discards;
            pollfd end{m_socket, static_cast<short>(events | (reading ? POLLIN : 0)), 0};
            const int ready = ::poll(&end, 1, timeoutMs);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return ready == 0;
            if ((end.revents & (POLLERR | POLLNVAL)) != 0) return false;
            if (reading && (end.revents & (POLLIN | POLLHUP)) != 0 && !discardInput()) return false;
            if ((end.revents & POLLHUP) != 0 && !reading) return false;
            if (events == 0 || (end.revents & events) != 0) return true;
        }
    }

    bool discardInput() {
        std::array<char, 4096> sink{};
        const ssize_t n = ::recv(m_socket, sink.data(), sink.size(), MSG_DONTWAIT);
        return n > 0 || (n < 0 && (errno == EAGAIN || errno == EINTR));
    }

    int m_socket;
    Listening m_listening;
};

}  // namespace

void playScenario(int socket, const Scenario& scenario, std::int64_t bytes, std::uint32_t seed) {
    Line line(socket, scenario.listening);
    ByteSource source(scenario, bytes, seed);
    for (std::string_view piece = source.next(); !piece.empty(); piece = source.next()) {
        if (!line.send(piece)) return;
        if (scenario.pauseMs > 0 && !line.pause(scenario.pauseMs)) return;
    }
    switch (scenario.ending) {
        case Ending::Close:
            line.closeOrderly();
            break;
        case Ending::Reset:
            line.reset();
            break;
        case Ending::CallerHangsUp:
            line.pause(-1);
            break;
    }
}

HostileServer::HostileServer(const Scenario& scenario, std::int64_t bytes, std::uint32_t seed)
    : m_scenario(scenario), m_bytes(bytes), m_seed(seed) {}

HostileServer::~HostileServer() {
    if (m_listen >= 0) ::close(m_listen);
}

bool HostileServer::listen(std::uint16_t port) {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0) return false;
    const int on = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listen, 16) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    m_port = ntohs(address.sin_port);
    return true;
}

void HostileServer::serve(int stopFd) {
    std::array<pollfd, 2> waiting{pollfd{m_listen, POLLIN, 0}, pollfd{stopFd, POLLIN, 0}};
    while (true) {
        if (::poll(waiting.data(), waiting.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (waiting[1].revents != 0) return;
        if ((waiting[0].revents & POLLIN) == 0) continue;
        const int caller = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (caller < 0) continue;
        std::thread([caller, scenario = &m_scenario, bytes = m_bytes, seed = m_seed] {
            playScenario(caller, *scenario, bytes, seed);
        }).detach();
    }
}

}  // namespace vx::hostile
