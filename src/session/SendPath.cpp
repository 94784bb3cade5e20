#include "session/SendPath.h"

#include "log/StatusReporter.h"

namespace vx {

SendPath::SendPath(SocketPort& socket, TimerFactory& timers, Prompter& prompter, StatusReporter& status)
    : m_socket(socket), m_prompter(prompter), m_status(status), m_timer(timers.createTimer([this] { step(); })) {}

bool SendPath::SendToBBS(std::string text, int delayMs, bool addEndOfLine) {
    if (m_lineTaken && m_lineTaken()) {
        m_prompter.message(kTransferRunning, "", MessageIcon::Exclamation);
        return false;
    }
    if (delayMs <= 0 && m_queue.empty()) {
        if (!text.empty() && !sendNow(text)) return false;
        if (addEndOfLine) return sendNow(std::string_view(&kEndOfLine, 1));
        return true;
    }
    m_queue.push_back({std::move(text), delayMs, addEndOfLine});
    if (m_queue.size() == 1) runQueue();
    return true;
}

void SendPath::whenSent(std::function<void()> done) {
    if (m_queue.empty()) {
        if (done) done();
        return;
    }
    m_queue.push_back({{}, 0, false, 0, std::move(done)});
}

void SendPath::finishFront() {
    std::function<void()> done = std::move(m_queue.front().done);
    m_queue.pop_front();
    if (done) done();
}

void SendPath::cancel() {
    m_queue.clear();
    m_timer->stop();
}

bool SendPath::sendNow(std::string_view bytes) {
    SocketPort::SendError error;
    if (m_socket.send(bytes, error)) return true;
    reportFailure(error);
    return false;
}

void SendPath::reportFailure(const SocketPort::SendError& error) {
    const std::string number = std::to_string(error.number);
    m_prompter.message("SendToBBS - Error sending data to BBS!\r\rERROR: " + number + " - " + error.description, "",
                       MessageIcon::Critical);
    if (m_status.sysLog()) {
        m_status.log().WriteLogLine("SendToBBS - Error sending data to BBS", false);
        m_status.log().WriteLogLine("ERROR: " + number + " - " + error.description.substr(0, 35), false);
    }
}

// Sends what can go at once and starts the timer for the next paced character.
void SendPath::runQueue() {
    while (!m_queue.empty()) {
        Text& text = m_queue.front();
        if (text.delayMs > 0 && text.sent < text.bytes.size()) {
            m_timer->start(0, false);
            return;
        }
        bool ok = true;
        if (text.delayMs <= 0 && !text.bytes.empty()) ok = sendNow(text.bytes);
        if (ok && text.endOfLine) sendNow(std::string_view(&kEndOfLine, 1));
        finishFront();
    }
}

void SendPath::step() {
    if (m_queue.empty()) return;
    Text& text = m_queue.front();
    if (text.sent < text.bytes.size()) {
        if (!sendNow(std::string_view(text.bytes).substr(text.sent, 1))) {
            finishFront();
            runQueue();
            return;
        }
        ++text.sent;
        m_timer->start(text.delayMs, false);
        return;
    }
    if (text.endOfLine) sendNow(std::string_view(&kEndOfLine, 1));
    finishFront();
    runQueue();
}

}  // namespace vx
