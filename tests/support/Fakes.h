#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/Random.h"
#include "platform/StatusSink.h"
#include "platform/WindowGeometry.h"

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

// Records every message and question; answers questions from queues (Yes / empty text when
// they run out).
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

    void message(const std::string& text, const std::string& title, MessageIcon icon) override {
        messages.push_back({text, title, icon});
    }
    bool askYesNo(const std::string& text, const std::string& title, MessageIcon icon) override {
        questions.push_back({text, title, icon});
        if (yesNoAnswers.empty()) return true;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    Answer askYesNoCancel(const std::string& text, const std::string& title, MessageIcon icon) override {
        questions.push_back({text, title, icon});
        if (yesNoCancelAnswers.empty()) return Answer::Yes;
        const Answer answer = yesNoCancelAnswers.front();
        yesNoCancelAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                       const std::string& initial) override {
        questions.push_back({prompt + "|" + initial, title, MessageIcon::None});
        if (textAnswers.empty()) return std::string();
        auto answer = textAnswers.front();
        textAnswers.pop_front();
        return answer;
    }
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

}  // namespace vx::test
