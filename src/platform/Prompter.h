#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vx {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };

// Messages and questions for the user. Texts are byte strings (one character per byte); an
// empty title means the program's title; "\r" and "\r\n" in texts break lines.
//
// Answers come back through a continuation, never as a return value: the window shows the
// dialog once the caller's handler has returned, so no event loop runs inside the core. The
// continuation may run later, after other events; code in it must not assume that nothing
// happened in between. (Test doubles answer at once.)
class Prompter {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompter() = default;
    // `done` (optional) runs when the user has dismissed the message.
    virtual void message(const std::string& text, const std::string& title, MessageIcon icon,
                         std::function<void()> done = {}) = 0;
    virtual void askYesNo(const std::string& text, const std::string& title, MessageIcon icon,
                          std::function<void(bool yes)> answer) = 0;
    virtual void askYesNoCancel(const std::string& text, const std::string& title, MessageIcon icon,
                                std::function<void(Answer)> answer) = 0;
    // An input box; std::nullopt when cancelled.
    virtual void askText(const std::string& prompt, const std::string& title, const std::string& initial,
                         std::function<void(std::optional<std::string>)> answer) = 0;
};

}  // namespace vx
