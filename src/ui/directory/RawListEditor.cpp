#include "ui/directory/RawListEditor.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "base/AtomicFile.h"
#include "directory/BBSList.h"
#include "platform/Prompter.h"
#include "ui/platform/ByteText.h"

namespace vx {

RawListEditor::RawListEditor(BBSList& list, Prompter& prompter, std::function<void()> saved, QWidget* parent)
    : QDialog(parent), m_list(list), m_prompter(prompter), m_saved(std::move(saved)) {
    setObjectName("frmRawBBS");
    setWindowTitle("Raw BBS File");
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("txtBBSList");
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    std::string bytes;
    readWholeFile(list.path(), bytes);
    // Line by line, each line ended by CR LF, as the file is read into the box.
    QString shown;
    for (const QString& line : qtText(bytes).split(QRegularExpression("\r\n|\n|\r"))) {
        shown += line + "\n";
    }
    if (shown.endsWith("\n\n")) shown.chop(1);
    m_text->setPlainText(shown);
    m_changedLabel = new QLabel("Changed", this);
    m_changedLabel->setObjectName("lblChanged");
    m_changedLabel->hide();
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        m_changed = true;
        m_changedLabel->show();
    });
    auto* close = new QPushButton("&Close", this);
    close->setObjectName("cmdClose");
    connect(close, &QPushButton::clicked, this, &RawListEditor::reject);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_changedLabel);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(720, 520);
}

void RawListEditor::reject() {
    if (!m_changed) {
        QDialog::reject();
        return;
    }
    askToSave();
}

void RawListEditor::closeEvent(QCloseEvent* event) {
    if (!m_changed) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    askToSave();
}

void RawListEditor::askToSave() {
    if (m_closing) return;
    m_closing = true;
    QPointer<RawListEditor> self(this);
    m_prompter.askYesNo("Save Changes?", "", MessageIcon::Question, [self](bool yes) {
        if (!self) return;
        self->m_closing = false;
        if (!yes) {
            self->m_changed = false;
            self->QDialog::reject();
            return;
        }
        QString text = self->m_text->toPlainText();
        text.replace("\n", "\r\n");
        // The box takes any character; the file can keep only those of its code page.
        if (const auto unheld = cp1252::firstUnheld(bytetext::charactersOf(text))) {
            self->m_prompter.message("The BBS list was not saved:\rthe character " + cp1252::codePointName(*unheld) +
                                         " cannot be kept in the BBS list (Windows-1252).",
                                     "", MessageIcon::Exclamation);
            return;
        }
        const std::string problem = self->m_list.replaceWithRawText(bytesOf(text));
        if (!problem.empty()) {
            // The text stays in the box to be mended; nothing was written.
            self->m_prompter.message("The BBS list was not saved:\r" + problem, "", MessageIcon::Exclamation);
            return;
        }
        self->m_changed = false;
        if (self->m_saved) self->m_saved();
        self->m_prompter.message("The BBS list was saved and read again.", "", MessageIcon::Information);
        self->QDialog::accept();
    });
}

}  // namespace vx
