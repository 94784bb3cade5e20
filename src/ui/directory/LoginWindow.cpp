#include "ui/directory/LoginWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/Scrambler.h"
#include "platform/Prompter.h"
#include "ui/platform/ByteText.h"

namespace vx {

LoginWindow::LoginWindow(std::string storedPassword, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_stored(std::move(storedPassword)), m_prompter(prompter) {
    setObjectName("frmLogin");
    setWindowTitle("  Secure Area");
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel("&Password:", this);
    m_entry = new QLineEdit(this);
    m_entry->setObjectName("txtPassword");
    m_entry->setEchoMode(QLineEdit::Password);
    holdToCodePage(m_entry);
    label->setBuddy(m_entry);
    row->addWidget(label);
    row->addWidget(m_entry, 1);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cmdCancel");
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &LoginWindow::tryPassword);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, [this](int result) {
        if (auto done = std::exchange(m_done, {})) done(result == QDialog::Accepted);
    });
}

void LoginWindow::ask(std::function<void(bool)> done) {
    m_done = std::move(done);
    m_entry->clear();
    open();
    m_entry->setFocus();
}

void LoginWindow::tryPassword() {
    if (Scrambler::passwordMatches(bytesOf(m_entry->text()), m_stored)) {
        accept();
        return;
    }
    QPointer<LoginWindow> self(this);
    m_prompter.message("Invalid Password, try again!", "Login", MessageIcon::Exclamation, [self] {
        if (!self) return;
        self->m_entry->selectAll();
        self->m_entry->setFocus();
    });
}

}  // namespace vx
