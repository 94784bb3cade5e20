#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vx {

// What the TCP connection reports, in the order it happens, on the program's thread.
class SocketEvents {
public:
    virtual ~SocketEvents() = default;
    virtual void onConnected() = 0;
    // Data can be read with SocketPort::readAll().
    virtual void onDataArrival(std::size_t bytesAvailable) = 0;
    // The other side closed the connection (a local close() reports nothing).
    virtual void onRemoteClose() = 0;
    virtual void onSocketError(int number, const std::string& description, int code, const std::string& source) = 0;
    // Someone tried to connect to us.
    virtual void onConnectionRequest() = 0;
};

// A plain TCP stream of bytes to one host.
class SocketPort {
public:
    struct SendError {
        int number = 0;
        std::string description;
    };

    virtual ~SocketPort() = default;
    virtual void setEvents(SocketEvents* events) = 0;
    virtual void connectTo(const std::string& host, int port) = 0;
    // Closes (or abandons a connection attempt) without reporting an event.
    virtual void close() = 0;
    // Everything received and not read yet, one character per byte.
    virtual std::string readAll() = 0;
    // Queues the bytes for sending; false (with the reason) when the socket cannot send.
    virtual bool send(std::string_view bytes, SendError& error) = 0;
};

}  // namespace vx
