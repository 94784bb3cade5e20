#pragma once

#include <deque>
#include <functional>
#include <utility>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/Random.h"
#include "platform/Shell.h"
#include "platform/SocketPort.h"
#include "platform/Sound.h"
#include "platform/StatusSink.h"
#include "platform/WindowGeometry.h"
#include "tools/TextSinks.h"

namespace vx::test {

// A clock that shows whatever time the test sets.
class FakeClock : public Clock {
public:
    LocalDateTime time{2026, 12, 6, 10, 51, 21};
    std::int64_t steady = 0;
    LocalDateTime now() const override { return time; }
    std::int64_t steadyMs() const override { return steady; }
};

// Returns the queued numbers in turn, then 0.5 forever.
class FakeRandom : public Random {
public:
    std::deque<double> values;
    int seeds = 0;
    void seedFromClock() override { ++seeds; }
    double next() override {
        if (values.empty()) return 0.5;
        const double value = values.front();
        values.pop_front();
        return value;
    }
};

// Records every message and question and answers at once from queues (Yes, or an empty text,
// when they run out).
class FakePrompter : public Prompter {
public:
    struct Shown {
        std::string text;
        std::string title;
        MessageIcon icon;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    std::vector<Shown> messages;
    std::vector<Shown> questions;
    std::deque<bool> yesNoAnswers;
    std::deque<Answer> yesNoCancelAnswers;
    std::deque<std::optional<std::string>> textAnswers;
    // When set, messages stay on the screen until dismissHeld(), as a user takes a while to read.
    bool holdMessages = false;

    void message(const std::string& text, const std::string& title, MessageIcon icon,
                 std::function<void()> done) override {
        messages.push_back({text, title, icon});
        if (holdMessages)
            m_held.push_back(std::move(done));
        else if (done)
            done();
    }
    void dismissHeld() {
        auto held = std::move(m_held);
        m_held.clear();
        for (auto& done : held)
            if (done) done();
    }
    void askYesNo(const std::string& text, const std::string& title, MessageIcon icon,
                  std::function<void(bool)> answer) override {
        questions.push_back({text, title, icon});
        bool yes = true;
        if (!yesNoAnswers.empty()) {
            yes = yesNoAnswers.front();
            yesNoAnswers.pop_front();
        }
        answer(yes);
    }
    void askYesNoCancel(const std::string& text, const std::string& title, MessageIcon icon,
                        std::function<void(Answer)> answer) override {
        questions.push_back({text, title, icon});
        Answer reply = Answer::Yes;
        if (!yesNoCancelAnswers.empty()) {
            reply = yesNoCancelAnswers.front();
            yesNoCancelAnswers.pop_front();
        }
        answer(reply);
    }
    void askText(const std::string& prompt, const std::string& title, const std::string& initial,
                 std::function<void(std::optional<std::string>)> answer) override {
        questions.push_back({prompt + "|" + initial, title, MessageIcon::None});
        std::optional<std::string> reply = std::string();
        if (!textAnswers.empty()) {
            reply = textAnswers.front();
            textAnswers.pop_front();
        }
        answer(reply);
    }

private:
    std::vector<std::function<void()>> m_held;
};

// Keeps the last text of every panel and the order of all updates.
class FakeStatusSink : public StatusSink {
public:
    std::map<std::string, std::string> panels;
    std::vector<std::string> history;  // "panel=text"
    void setPanelText(const std::string& panel, const std::string& text, bool) override {
        panels[panel] = text;
        history.push_back(panel + "=" + text);
    }
};

// Windows at fixed places that the test can read back.
class FakeWindowGeometry : public WindowGeometry {
public:
    std::map<PlacedWindow, std::pair<int, int>> places;  // top, left
    int top(PlacedWindow window) override { return places[window].first; }
    int left(PlacedWindow window) override { return places[window].second; }
    void setTop(PlacedWindow window, int twips) override { places[window].first = twips; }
    void setLeft(PlacedWindow window, int twips) override { places[window].second = twips; }
};

// Counts beeps and records the sound files played.
class FakeSound : public Sound {
public:
    int beeps = 0;
    std::vector<std::string> played;
    bool canPlay = true;
    void beep() override { ++beeps; }
    bool playFile(const std::string& fileName) override {
        played.push_back(fileName);
        return canPlay;
    }
};

// Records what would have been started; `associations` answers associatedProgram().
class FakeShell : public Shell {
public:
    std::string association;  // "" = no associated program
    bool startSucceeds = true;
    std::vector<std::pair<std::string, std::string>> started;  // program, argument
    std::vector<std::string> askedAbout;                       // files asked about
    std::string associatedProgram(const std::string& file) override {
        askedAbout.push_back(file);
        return association;
    }
    bool start(const std::string& program, const std::string& argument) override {
        started.emplace_back(program, argument);
        return startSucceeds;
    }
};

class FakeClipboard : public Clipboard {
public:
    std::string contents;
    int clears = 0;
    void clear() override {
        ++clears;
        contents.clear();
    }
    void setText(const std::string& text) override { contents = text; }
    std::string text() override { return contents; }
    // What characters() gives when set; otherwise the contents as Latin-1.
    std::u32string unicode;
    std::u32string characters() override {
        if (!unicode.empty()) return unicode;
        std::u32string latin1;
        for (char c : contents) latin1 += static_cast<char32_t>(static_cast<unsigned char>(c));
        return latin1;
    }
};

// The Box and VXEditor's number text as plain strings.
class FakeBox : public BoxText {
public:
    std::string contents;
    void appendText(std::string_view text) override { contents += text; }
    void clearText() override { contents.clear(); }
    std::string text() const override { return contents; }
};

class FakeMojiSink : public MojiCodeSink {
public:
    std::string codes;
    int shows = 0;
    void appendCodes(std::string_view text) override { codes += text; }
    void clearCodes() override { codes.clear(); }
    void showEditor() override { ++shows; }
};

// A socket the test drives: it decides when the connection comes up, what arrives and when the
// other side closes; everything sent is kept.
class FakeSocket : public SocketPort {
public:
    SocketEvents* events = nullptr;
    std::string host;
    int port = 0;
    int connectRequests = 0;
    int closes = 0;
    std::string pending;  // received, not read yet
    std::string sent;
    std::vector<std::string> sends;  // one entry per send() call
    std::optional<SendError> failSends;
    std::size_t maxRead = std::string::npos;  // the most one read hands over

    void setEvents(SocketEvents* e) override { events = e; }
    void connectTo(const std::string& h, int p) override {
        host = h;
        port = p;
        ++connectRequests;
    }
    void close() override { ++closes; }
    std::string readAll() override {
        std::string chunk = pending.substr(0, maxRead);
        pending.erase(0, chunk.size());
        return chunk;
    }
    bool send(std::string_view bytes, SendError& error) override {
        if (failSends) {
            error = *failSends;
            return false;
        }
        sent += bytes;
        sends.emplace_back(bytes);
        return true;
    }

    // The test's side of the wire.
    void connectionUp() { events->onConnected(); }
    void receive(std::string_view bytes) {
        pending += bytes;
        events->onDataArrival(pending.size());
    }
    void remoteClose() { events->onRemoteClose(); }
};

}  // namespace vx::test
