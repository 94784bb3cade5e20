#include "ui/terminal/BoxEditor.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

#include "screen/GlyphFont.h"
#include "tools/BoxFormat.h"

namespace vx {
namespace {

QString shown(std::string_view bytes) {
    const std::u32string text = box::displayText(bytes);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QFont BoxEditor::atasciiFont(int pixelSize) {
    static const QString family = [] {
        const std::string bytes = atasciiTrueTypeFont();
        const int id =
            QFontDatabase::addApplicationFontFromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QString() : families.first();
    }();
    QFont font(family.isEmpty() ? QString("Monospace") : family);
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(pixelSize);
    // The characters are whole pixels: smoothing would only blur them.
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

BoxEditor::BoxEditor(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("Text1");
    // The Box is as wide as the board's screen and wraps as the board does: at the last column,
    // in the middle of a word if need be.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAnywhere);
    setTabChangesFocus(false);
    setColumns(40);
}

void BoxEditor::setColumns(int columns) {
    m_columns = columns;
    setFont(atasciiFont(columns == 80 ? 8 : 16));
}

void BoxEditor::appendText(std::string_view text) {
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown(text));
}

void BoxEditor::clearText() {
    // Through a cursor, not clear(): emptying the Box can be undone.
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
}

std::string BoxEditor::text() const {
    const QList<uint> ucs4 = document()->toRawText().toUcs4();
    std::u32string raw;
    raw.reserve(static_cast<std::size_t>(ucs4.size()));
    for (uint c : ucs4) raw += static_cast<char32_t>(c);
    return box::bytesOfDisplay(raw);
}

void BoxEditor::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (event->key() == Qt::Key_Z && (mods & Qt::ControlModifier) && !(mods & Qt::ShiftModifier)) {
        // Ctrl+Z is the ATASCII end of line here, not undo (the Undo button and the menu undo).
        // The cursor stays where it was, before the new end of line.
        QTextCursor cursor = textCursor();
        const int at = cursor.position();
        cursor.insertText(QString(QChar(0x2028)));
        cursor.setPosition(at);
        setTextCursor(cursor);
        return;
    }
    if (event->key() == Qt::Key_T && (mods & Qt::AltModifier)) {
        if (m_onAltT) m_onAltT();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

}  // namespace vx
