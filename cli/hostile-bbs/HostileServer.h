#pragma once

#include <cstdint>

#include "HostileScenarios.h"

namespace vx::hostile {

// Listens on 127.0.0.1 and plays one scenario to every caller, each on a thread of its own.
class HostileServer {
public:
    HostileServer(const Scenario& scenario, std::int64_t bytes, std::uint32_t seed);
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    // Port 0 picks a free port. False (with errno set) when the port cannot be opened.
    bool listen(std::uint16_t port);
    std::uint16_t port() const { return m_port; }
    // Answers callers until `stopFd` becomes readable.
    void serve(int stopFd);

private:
    const Scenario& m_scenario;
    std::int64_t m_bytes;
    std::uint32_t m_seed;
    int m_listen = -1;
    std::uint16_t m_port = 0;
};

// One call from answer to end, on the calling thread. Takes the socket over.
void playScenario(int socket, const Scenario& scenario, std::int64_t bytes, std::uint32_t seed);

}  // namespace vx::hostile
