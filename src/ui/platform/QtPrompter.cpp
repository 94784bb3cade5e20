#include "ui/platform/QtPrompter.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <memory>

#include "ui/platform/ByteText.h"

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

// Runs `answer` once: when the dialog is finished, or with `unanswered` when it is destroyed
// without an answer (its parent window went away).
template <class Dialog>
void onFinished(Dialog* dialog, std::function<void(int)> answer, std::function<void()> unanswered) {
    auto pending = std::make_shared<bool>(true);
    QObject::connect(dialog, &QDialog::finished, dialog, [pending, answer](int result) {
        if (!*pending) return;
        *pending = false;
        answer(result);
    });
    QObject::connect(dialog, &QObject::destroyed, [pending, unanswered] {
        if (!*pending) return;
        *pending = false;
        unanswered();
    });
}

}  // namespace

QWidget* QtPrompter::parentNow() const {
    QWidget* chosen = m_chooseParent ? m_chooseParent() : nullptr;
    return chosen ? chosen : m_parent.data();
}

QString QtPrompter::displayText(const std::string& text) {
    QString shown = qtText(text);
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    return shown;
}

QString QtPrompter::titleOf(const std::string& title) {
    return title.empty() ? QStringLiteral("Vexterm") : qtText(title);
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
        auto* box = new QMessageBox(boxIcon(icon), titleOf(title), displayText(text), QMessageBox::Ok, parentNow());
        box->setAttribute(Qt::WA_DeleteOnClose);
        const auto finish = [done, next] {
            if (done) done();
            next();
        };
        onFinished(
            box, [finish](int) { finish(); }, finish);
        box->open();
    });
}

void QtPrompter::askYesNo(const std::string& text, const std::string& title, MessageIcon icon,
                          std::function<void(bool)> answer) {
    enqueue([this, text, title, icon, answer = std::move(answer)](std::function<void()> next) {
        auto* box = new QMessageBox(boxIcon(icon), titleOf(title), displayText(text),
                                    QMessageBox::Yes | QMessageBox::No, parentNow());
        box->setAttribute(Qt::WA_DeleteOnClose);
        onFinished(
            box,
            [box, answer, next](int) {
                answer(box->clickedButton() == box->button(QMessageBox::Yes));
                next();
            },
            [answer, next] {
                answer(false);
                next();
            });
        box->open();
    });
}

void QtPrompter::askYesNoCancel(const std::string& text, const std::string& title, MessageIcon icon,
                                std::function<void(Answer)> answer) {
    enqueue([this, text, title, icon, answer = std::move(answer)](std::function<void()> next) {
        auto* box = new QMessageBox(boxIcon(icon), titleOf(title), displayText(text),
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parentNow());
        box->setAttribute(Qt::WA_DeleteOnClose);
        onFinished(
            box,
            [box, answer, next](int) {
                const QAbstractButton* clicked = box->clickedButton();
                answer(clicked == box->button(QMessageBox::Yes)  ? Answer::Yes
                       : clicked == box->button(QMessageBox::No) ? Answer::No
                                                                 : Answer::Cancel);
                next();
            },
            [answer, next] {
                answer(Answer::Cancel);
                next();
            });
        box->open();
    });
}

void QtPrompter::askText(const std::string& prompt, const std::string& title, const std::string& initial,
                         std::function<void(std::optional<std::string>)> answer) {
    enqueue([this, prompt, title, initial, answer = std::move(answer)](std::function<void()> next) {
        auto* dialog = new QInputDialog(parentNow());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(titleOf(title));
        dialog->setLabelText(displayText(prompt));
        dialog->setTextValue(qtText(initial));
        if (auto* box = dialog->findChild<QLineEdit*>()) holdToCodePage(box);
        onFinished(
            dialog,
            [dialog, answer, next](int result) {
                if (result == QDialog::Accepted)
                    answer(bytesOf(dialog->textValue()));
                else
                    answer(std::nullopt);
                next();
            },
            [answer, next] {
                answer(std::nullopt);
                next();
            });
        dialog->open();
    });
}

}  // namespace vx
