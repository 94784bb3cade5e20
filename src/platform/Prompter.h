#pragma once

#include <optional>
#include <string>

namespace vx {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };

// Messages and questions for the user. Texts are byte strings (one character per byte).
// An empty title means the program's title.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void message(const std::string& text, const std::string& title, MessageIcon icon) = 0;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& title, MessageIcon icon) = 0;
    enum class Answer { Yes, No, Cancel };
    virtual Answer askYesNoCancel(const std::string& text, const std::string& title, MessageIcon icon) = 0;
    // An input box; std::nullopt when cancelled.
    virtual std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                               const std::string& initial) = 0;
};

}  // namespace vx
