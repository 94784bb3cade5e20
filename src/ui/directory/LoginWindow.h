#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;

namespace vx {

class Prompter;

// The login window (frmLogin, "  Secure Area"): the program password opens the hidden macros.
// It is window-modal over its parent and answers through a callback, without a nested loop.
class LoginWindow : public QDialog {
    Q_OBJECT
public:
    // `storedPassword` is the scrambled password of the configuration (SData).
    LoginWindow(std::string storedPassword, Prompter& prompter, QWidget* parent = nullptr);

    // Opens with an empty entry that has the focus; `done` learns whether the user logged in.
    void ask(std::function<void(bool loggedIn)> done);

private:
    void tryPassword();

    std::string m_stored;
    Prompter& m_prompter;
    QLineEdit* m_entry = nullptr;
    std::function<void(bool)> m_done;
};

}  // namespace vx
