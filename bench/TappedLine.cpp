#include "TappedLine.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>

namespace vx::bench {
namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void noDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

TappedLine::TappedLine(int boardPort) : m_boardPort(boardPort) {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listen, 1) != 0 || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

TappedLine::~TappedLine() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_listen >= 0) ::close(m_listen);
}

void TappedLine::startKeys(int everyMs, std::function<void()> pressKey) {
    std::lock_guard lock(m_mutex);
    m_pressKey = std::move(pressKey);
    m_everyMs = everyMs;
    m_nextPress = Clock::now();
}

void TappedLine::stopKeys() {
    std::lock_guard lock(m_mutex);
    m_pressKey = nullptr;
}

std::vector<double> TappedLine::keyLatenciesMs() const {
    std::lock_guard lock(m_mutex);
    return m_latencies;
}

int TappedLine::keysWaiting() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_pressed.size());
}

void TappedLine::run() {
    pollfd waiting{m_listen, POLLIN, 0};
    while (!m_stop && ::poll(&waiting, 1, 100) == 0) {
    }
    if (m_stop) return;
    const int program = ::accept(m_listen, nullptr, nullptr);
    const int board = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(m_boardPort);
    if (program < 0 || board < 0 || ::connect(board, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (program >= 0) ::close(program);
        if (board >= 0) ::close(board);
        return;
    }
    noDelay(program);
    noDelay(board);
    // Each direction keeps what its receiver has not taken yet, so a busy program never stops
    // the relay from reading the keys it sends.
    std::string toBoard, toProgram;
    bool open = true;
    while (!m_stop && open) {
        pressDueKey();
        std::array<pollfd, 2> ends{pollfd{program, static_cast<short>(POLLIN | (toProgram.empty() ? 0 : POLLOUT)), 0},
                                   pollfd{board, static_cast<short>(POLLIN | (toBoard.empty() ? 0 : POLLOUT)), 0}};
        if (toProgram.size() > (4 << 20)) ends[1].events &= ~POLLIN;
        if (::poll(ends.data(), ends.size(), 1) <= 0) continue;
        if ((ends[0].revents & (POLLIN | POLLHUP)) != 0) open &= take(program, toBoard, true);
        if ((ends[1].revents & (POLLIN | POLLHUP)) != 0) open &= take(board, toProgram, false);
        if ((ends[0].revents & POLLOUT) != 0) open &= give(program, toProgram);
        if ((ends[1].revents & POLLOUT) != 0) open &= give(board, toBoard);
        if (((ends[0].revents | ends[1].revents) & (POLLERR | POLLNVAL)) != 0) open = false;
    }
    ::close(program);
    ::close(board);
}

void TappedLine::pressDueKey() {
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    if (!m_pressKey || now < m_nextPress) return;
    m_pressed.push_back(now);
    m_pressKey();
    m_nextPress = now + std::chrono::milliseconds(m_everyMs);
}

bool TappedLine::take(int from, std::string& pending, bool fromProgram) {
    std::array<char, 65536> buffer{};
    const ssize_t n = ::recv(from, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    if (fromProgram) {
        const auto arrived = Clock::now();
        std::lock_guard lock(m_mutex);
        for (ssize_t i = 0; i < n && !m_pressed.empty(); ++i) {
            m_latencies.push_back(std::chrono::duration<double, std::milli>(arrived - m_pressed.front()).count());
            m_pressed.pop_front();
        }
    }
    pending.append(buffer.data(), static_cast<std::size_t>(n));
    return true;
}

bool TappedLine::give(int to, std::string& pending) {
    const ssize_t n = ::send(to, pending.data(), pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    pending.erase(0, static_cast<std::size_t>(n));
    return true;
}

}  // namespace vx::bench
