#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/Prompter.h"

namespace vx {

// Message boxes and input boxes. Each dialog is shown once the event loop is free (never while a
// core handler is running) and opened window-modal with open(), so no nested event loop ever
// runs; the answer is handed to the continuation when the dialog closes. Dialogs asked for in a
// row are shown one after the other, in order. A dialog opens on the window the chooser names
// when it is shown (the window the user is in), else on the fixed parent; a dialog whose window
// goes away unanswered answers as its Cancel would.
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void setParentChooser(std::function<QWidget*()> chooser) { m_chooseParent = std::move(chooser); }

    void message(const std::string& text, const std::string& title, MessageIcon icon,
                 std::function<void()> done) override;
    void askYesNo(const std::string& text, const std::string& title, MessageIcon icon,
                  std::function<void(bool)> answer) override;
    void askYesNoCancel(const std::string& text, const std::string& title, MessageIcon icon,
                        std::function<void(Answer)> answer) override;
    void askText(const std::string& prompt, const std::string& title, const std::string& initial,
                 std::function<void(std::optional<std::string>)> answer) override;

    // The texts of the system are byte strings; "\r", "\n" and "\r\n" break lines.
    static QString displayText(const std::string& text);
    static QString titleOf(const std::string& title);

private:
    void enqueue(std::function<void(std::function<void()> next)> show);
    void showNext();
    QWidget* parentNow() const;

    QPointer<QWidget> m_parent;
    std::function<QWidget*()> m_chooseParent;
    std::vector<std::function<void(std::function<void()>)>> m_waiting;
    bool m_showing = false;
};

}  // namespace vx
