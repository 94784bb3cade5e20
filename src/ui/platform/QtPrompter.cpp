#include "ui/platform/QtPrompter.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>

namespace vx {
namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString QtPrompter::displayText(const std::string& text) {
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    return shown;
}

QString QtPrompter::titleOf(const std::string& title) {
    return title.empty() ? QStringLiteral("Vexterm")
                         : QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size()));
}

void QtPrompter::enqueue(std::function<void(std::function<void()> next)> show) {
    m_waiting.push_back(std::move(show));
    if (!m_showing) {
        m_showing = true;
        QTimer::singleShot(0, [this] { showNext(); });
    }
}

void QtPrompter::showNext() {
    if (m_waiting.empty()) {
        m_showing = false;
        return;
    }
    auto show = std::move(m_waiting.front());
    m_waiting.erase(m_waiting.begin());
    // The next dialog waits until this one is answered and its continuation has run.
    show([this] { QTimer::singleShot(0, [this] { showNext(); }); });
}

void QtPrompter::message(const std::string& text, const std::string& title, MessageIcon icon,
                         std::function<void()> done) {
    enqueue([this, text, title, icon, done = std::move(done)](std::function<void()> next) {
        auto* box = new QMessageBox(boxIcon(icon), titleOf(title), displayText(text), QMessageBox::Ok, m_parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(box, &QMessageBox::finished, box, [done, next](int) {
            if (done) done();
            next();
        });
        box->open();
    });
}

void QtPrompter::askYesNo(const std::string& text, const std::string& title, MessageIcon icon,
                          std::function<void(bool)> answer) {
    enqueue([this, text, title, icon, answer = std::move(answer)](std::function<void()> next) {
        auto* box = new QMessageBox(boxIcon(icon), titleOf(title), displayText(text),
                                    QMessageBox::Yes | QMessageBox::No, m_parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(box, &QMessageBox::finished, box, [box, answer, next](int) {
            answer(box->clickedButton() == box->button(QMessageBox::Yes));
            next();
        });
        box->open();
    });
}

void QtPrompter::askYesNoCancel(const std::string& text, const std::string& title, MessageIcon icon,
                                std::function<void(Answer)> answer) {
    enqueue([this, text, title, icon, answer = std::move(answer)](std::function<void()> next) {
        auto* box = new QMessageBox(boxIcon(icon), titleOf(title), displayText(text),
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(box, &QMessageBox::finished, box, [box, answer, next](int) {
            const QAbstractButton* clicked = box->clickedButton();
            answer(clicked == box->button(QMessageBox::Yes)  ? Answer::Yes
                   : clicked == box->button(QMessageBox::No) ? Answer::No
                                                             : Answer::Cancel);
            next();
        });
        box->open();
    });
}

void QtPrompter::askText(const std::string& prompt, const std::string& title, const std::string& initial,
                         std::function<void(std::optional<std::string>)> answer) {
    enqueue([this, prompt, title, initial, answer = std::move(answer)](std::function<void()> next) {
        auto* dialog = new QInputDialog(m_parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(titleOf(title));
        dialog->setLabelText(displayText(prompt));
        dialog->setTextValue(QString::fromLatin1(initial.data(), static_cast<qsizetype>(initial.size())));
        QObject::connect(dialog, &QInputDialog::finished, dialog, [dialog, answer, next](int result) {
            if (result == QDialog::Accepted)
                answer(dialog->textValue().toLatin1().toStdString());
            else
                answer(std::nullopt);
            next();
        });
        dialog->open();
    });
}

}  // namespace vx
