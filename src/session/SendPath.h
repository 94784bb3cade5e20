#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/Prompter.h"
#include "platform/SocketPort.h"
#include "platform/Timer.h"

namespace vx {

class StatusReporter;

// The one way texts go to the board (The Box, paste, signature, macros). Texts go out in the
// order they were given, never interleaved: a text with a per-character delay is a job that
// sends one character per step, and later texts wait for it.
class SendPath {
public:
    SendPath(SocketPort& socket, TimerFactory& timers, Prompter& prompter, StatusReporter& status);

    static constexpr const char* kTransferRunning = "A file transfer is running: nothing was sent.";

    // Sends the text in one piece (delayMs <= 0) or one character every delayMs, then the end of
    // line (155) when asked. Returns false when the socket refused a text sent at once; a paced
    // text reports a refusal when it happens. After a refusal the rest of that text is dropped.
    // While a file transfer owns the line the text is refused at once (false) with a message,
    // so the caller keeps what the user wrote: the line would drop it unsent.
    bool SendToBBS(std::string text, int delayMs, bool addEndOfLine);

    // Tells whether a file transfer owns the line.
    void setLineTaken(std::function<bool()> taken) { m_lineTaken = std::move(taken); }

    // Runs `done` once every text given so far has gone out (at once when nothing waits).
    void whenSent(std::function<void()> done);

    // True while texts are waiting or going out.
    bool busy() const { return !m_queue.empty(); }
    // Drops everything not sent yet.
    void cancel();

    static constexpr char kEndOfLine = static_cast<char>(155);

private:
    struct Text {
        std::string bytes;
        int delayMs;
        bool endOfLine;
        std::size_t sent = 0;
        std::function<void()> done{};  // a marker: runs when the texts before it are out
    };
    void finishFront();

    bool sendNow(std::string_view bytes);
    void reportFailure(const SocketPort::SendError& error);
    void runQueue();
    void step();

    SocketPort& m_socket;
    Prompter& m_prompter;
    StatusReporter& m_status;
    std::unique_ptr<Timer> m_timer;
    std::deque<Text> m_queue;
    std::function<bool()> m_lineTaken;
};

}  // namespace vx
