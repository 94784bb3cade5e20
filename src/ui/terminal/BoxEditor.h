#pragma once

#include <QPlainTextEdit>
#include <functional>

#include "tools/TextSinks.h"

namespace vx {

// The Box's editor (Text1): plain text in the ATASCII characters, so graphics, inverse letters
// and ends of line look as the board will show them. Its text is the Box's bytes: CR LF between
// paragraphs, 155 for an ATASCII end of line (shown as a line break), every other code as its
// glyph. Ctrl+Z puts an end of line at the cursor; Alt+T gives the keys back to the screen.
class BoxEditor : public QPlainTextEdit, public BoxText {
    Q_OBJECT
public:
    explicit BoxEditor(QWidget* parent = nullptr);

    // BoxText
    void appendText(std::string_view text) override;
    void clearText() override;
    std::string text() const override;

    // 40 or 80 columns: the characters are drawn at 16 or 8 pixels, so the Box keeps its width.
    void setColumns(int columns);
    int columns() const { return m_columns; }
    // The width of `columns` characters, and the font the rulers use too.
    static QFont atasciiFont(int pixelSize);

    void setOnAltT(std::function<void()> action) { m_onAltT = std::move(action); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> m_onAltT;
    int m_columns = 40;
};

}  // namespace vx
