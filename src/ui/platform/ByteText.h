#pragma once

#include <QByteArray>
#include <QLineEdit>
#include <QPoint>
#include <QString>
#include <QToolTip>
#include <QValidator>
#include <optional>
#include <string>
#include <string_view>

#include "base/CodePage1252.h"

namespace vx {

// The program's texts are byte strings, one character a byte, as the BBS list and the
// configuration hold them: Windows-1252. Widgets show them as characters; these are the only ways
// between the two, so that every window reads and writes the same code page.
inline QString qtText(std::string_view bytes) {
    const std::u32string text = cp1252::textOf(bytes);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

namespace bytetext {
inline std::u32string charactersOf(const QString& text) {
    const QList<uint> ucs4 = text.toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}
}  // namespace bytetext

// The first character of a text that the code page cannot hold.
inline std::optional<QString> unheldCharacter(const QString& text) {
    const auto unheld = cp1252::firstUnheld(bytetext::charactersOf(text));
    if (!unheld) return std::nullopt;
    return QString::fromUcs4(&*unheld, 1);
}

// What the user is told about such a character.
inline QString unheldCharacterText(const QString& character) {
    return QString(
               "\u201C%1\u201D cannot be kept: Vexterm's files hold only the characters of "
               "Windows-1252 (Western European).")
        .arg(character);
}

// The bytes of a text. Every box the user types into is held to the code page (holdToCodePage),
// and other texts are checked with unheldCharacter() first: a character the code page cannot hold
// has no byte, and a stand-in such as "?" would be a different text.
inline std::string bytesOf(const QString& text) {
    std::string bytes;
    for (const char32_t c : bytetext::charactersOf(text))
        if (const auto byte = cp1252::byteOf(c)) bytes += static_cast<char>(*byte);
    return bytes;
}

// Refuses a character the code page cannot hold as it is typed or pasted, and says which at the
// box, so nothing is replaced behind the user's back.
class CodePageValidator : public QValidator {
public:
    explicit CodePageValidator(QLineEdit* edit) : QValidator(edit), m_edit(edit) {}
    State validate(QString& input, int&) const override {
        const auto unheld = unheldCharacter(input);
        if (!unheld) return Acceptable;
        QToolTip::showText(m_edit->mapToGlobal(QPoint(0, m_edit->height())), unheldCharacterText(*unheld), m_edit);
        return Invalid;
    }

private:
    QLineEdit* m_edit;
};

inline void holdToCodePage(QLineEdit* edit) { edit->setValidator(new CodePageValidator(edit)); }

}  // namespace vx
