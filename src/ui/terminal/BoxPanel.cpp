#include "ui/terminal/BoxPanel.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include "session/TheBox.h"
#include "ui/platform/ByteText.h"
#include "ui/platform/Marker.h"
#include "ui/terminal/BoxEditor.h"
#include "ui/terminal/KeylessButton.h"

namespace vx {
namespace {

// The column numbers over the Box: the tens on one line, the units on the next.
QString tensRuler(int width) {
    QString line;
    for (int column = 1; column <= width; ++column)
        line += column % 10 == 0 ? QChar(u'0' + (column / 10) % 10) : QChar(u' ');
    return line;
}

QString unitsRuler(int width) {
    QString line;
    for (int column = 1; column <= width; ++column) line += QChar(u'0' + column % 10);
    return line;
}

int lineCount(const std::string& text) {
    if (text.empty()) return 0;
    int breaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) == 155 ||
            (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            ++breaks;
    }
    const bool endsWithBreak = static_cast<unsigned char>(text.back()) == 155 || text.ends_with("\r\n");
    return breaks + (endsWithBreak ? 0 : 1);
}

}  // namespace

BoxPanel::BoxPanel(TheBox& box, BoxEditor& editor, QWidget* parent) : QWidget(parent), m_box(box), m_editor(editor) {
    setObjectName("boxPanel");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);

    // The quoting steps: step 1 is with the scrollback controls; each marker stands before its
    // button, step 0's (nothing under way) after the caption.
    for (int step = 0; step < 4; ++step)
        m_stepMarkers[static_cast<std::size_t>(step)] = makeMarker(
            this, "shpQuote_" + QString::number(step), "Quoting step " + QString::number(step), QColor(255, 200, 0));
    auto* steps = new QHBoxLayout;
    steps->addWidget(new QLabel("Quoting  Steps:", this));
    steps->addWidget(m_stepMarkers[0]);
    steps->addSpacing(8);
    auto* edit = keylessButton(this, "cmdEditBox", "2) Edit Box", "Put the keys in the Box to edit the quote");
    connect(edit, &QPushButton::clicked, this, [this] { m_box.editBox(); });
    auto* format =
        keylessButton(this, "cmdQuoteBox", "3) Format Edited Box", "Wrap the Box's lines with the quote prefix");
    connect(format, &QPushButton::clicked, this, [this] { m_box.formatBox(); });
    auto* sendFormatted =
        keylessButton(this, "cmdSendFmtd", "4) Send Formatted Box", "Send the quoted text to the BBS");
    connect(sendFormatted, &QPushButton::clicked, this, [this] { m_box.sendFormatted(); });
    steps->addWidget(m_stepMarkers[2]);
    steps->addWidget(edit);
    steps->addWidget(m_stepMarkers[3]);
    steps->addWidget(format);
    steps->addWidget(sendFormatted);
    steps->addStretch(1);
    m_noWrap = new QLabel("No Wrap (Carina)", this);
    m_noWrap->setObjectName("lblNoWrap");
    m_noWrap->setStyleSheet("color: #c00000;");
    steps->addWidget(m_noWrap);
    column->addLayout(steps);

    // The rulers, the Box and the alarm slider share one width: the Box's.
    const QString rulerStyle = "background: #f0f0e0; color: #404040;";
    m_tens = new QLabel(this);
    m_tens->setObjectName("Text2");
    m_tens->setToolTip("Columns");
    m_units = new QLabel(this);
    m_units->setObjectName("Text4");
    m_units->setToolTip("Displays Columns");
    for (QLabel* ruler : {m_tens, m_units}) {
        ruler->setStyleSheet(rulerStyle);
        ruler->setTextFormat(Qt::PlainText);
    }
    m_editor.setParent(this);
    m_editor.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor.setMinimumHeight(36);  // two lines, so the frame with its title bar fits a 768-line screen
    m_editor.installEventFilter(this);
    connect(&m_editor, &QPlainTextEdit::textChanged, this, [this] { textEdited(); });
    m_focusMarker = makeMarker(this, "shpBoxFocus", "The Box has the keys", QColor(48, 208, 48));
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName("Slider1");
    m_slider->setToolTip("Set the column alarm for Text Window");
    m_slider->setFocusPolicy(Qt::NoFocus);
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        if (value != m_box.alarmColumn()) m_box.setAlarmColumn(value);
    });
    auto* editorColumn = new QVBoxLayout;
    editorColumn->setSpacing(0);
    editorColumn->addWidget(m_tens);
    editorColumn->addWidget(m_units);
    editorColumn->addWidget(&m_editor, 1);
    editorColumn->addSpacing(2);
    editorColumn->addWidget(m_slider);
    auto* editorRow = new QHBoxLayout;
    editorRow->addLayout(editorColumn);
    auto* side = new QVBoxLayout;
    side->addWidget(m_focusMarker);
    side->addStretch(1);
    editorRow->addLayout(side);
    editorRow->addStretch(1);
    column->addLayout(editorRow, 1);

    // The settings that go with the board, and the counts.
    auto* settings = new QHBoxLayout;
    settings->addWidget(new QLabel("Prefix:", this));
    m_prefix = field("txtQuotePrefix", "Quote Prefix for Next Msg", 48);
    holdToCodePage(m_prefix);
    m_prefix->setReadOnly(false);
    connect(m_prefix, &QLineEdit::textEdited, this, [this](const QString& text) { m_box.setPrefixBox(bytesOf(text)); });
    settings->addWidget(m_prefix);
    settings->addWidget(new QLabel("Delay:", this));
    m_delay = field("Text3", "Delay in milliseconds for sending data from box", 48);
    m_delay->setReadOnly(false);
    connect(m_delay, &QLineEdit::textEdited, this, [this] { delayEdited(); });
    settings->addWidget(m_delay);
    m_autoCR = new QCheckBox("Auto C/R", this);
    m_autoCR->setObjectName("chkAutoCR");
    m_autoCR->setToolTip("Enable / Disable sending of carriage return (155)");
    m_autoCR->setFocusPolicy(Qt::NoFocus);
    connect(m_autoCR, &QCheckBox::clicked, this, [this](bool on) { m_box.setAutoCR(on); });
    settings->addWidget(m_autoCR);
    m_alarmEnabled = new QCheckBox("Alarm", this);
    m_alarmEnabled->setObjectName("chkAlarmCol");
    m_alarmEnabled->setToolTip("Enable / disable Alarm Column");
    m_alarmEnabled->setFocusPolicy(Qt::NoFocus);
    connect(m_alarmEnabled, &QCheckBox::clicked, this, [this](bool on) { m_box.setAlarmEnabled(on); });
    settings->addWidget(m_alarmEnabled);
    m_alarmColumn = field("txtAlarmCol", "Column number to trigger alarm", 32);
    settings->addWidget(m_alarmColumn);
    settings->addStretch(1);
    m_length = field("txtLenText", "# chars typed into box", 56);
    settings->addWidget(m_length);
    m_lines = new QLabel(this);
    m_lines->setObjectName("lblBoxLines");
    m_lines->setToolTip("Lines in the box");
    settings->addWidget(m_lines);
    column->addLayout(settings);

    // What the Box sends, and the editing helpers.
    auto* sends = new QHBoxLayout;
    auto* send = keylessButton(this, "cmdPaste", "Send", "Send the Box to the BBS");
    connect(send, &QPushButton::clicked, this, [this] { m_box.send(); });
    auto* sendClear =
        keylessButton(this, "cmdPasteClear", "Send/Clear", "Send the Box with an end of line, then empty it");
    connect(sendClear, &QPushButton::clicked, this, [this] { m_box.sendAndClear(); });
    auto* clear = keylessButton(this, "cmdClear", "Clear", "Empty the Box");
    connect(clear, &QPushButton::clicked, this, [this] { m_box.clear(); });
    auto* paste = keylessButton(this, "cmdPasteToBox", "Clipboard to Box", "Add the clipboard's text to the Box");
    connect(paste, &QPushButton::clicked, this, [this] { m_box.clipboardToBox(); });
    m_undo = keylessButton(this, "cmdUndo", "Undo", "Undo the last change to the Box");
    m_undo->setEnabled(false);
    connect(m_undo, &QPushButton::clicked, &m_editor, &QPlainTextEdit::undo);
    connect(&m_editor, &QPlainTextEdit::undoAvailable, m_undo, &QPushButton::setEnabled);
    m_redo = keylessButton(this, "cmdRedo", "Redo", "Redo what Undo took back");
    m_redo->setEnabled(false);
    connect(m_redo, &QPushButton::clicked, &m_editor, &QPlainTextEdit::redo);
    connect(&m_editor, &QPlainTextEdit::redoAvailable, m_redo, &QPushButton::setEnabled);
    m_widthToggle = keylessButton(this, "cmd4080", "80", "Toggle between 40 and 80 columns");
    connect(m_widthToggle, &QPushButton::clicked, this, [this] { m_box.toggleWidth(); });
    for (QPushButton* b : {send, sendClear, clear, paste, m_undo, m_redo, m_widthToggle}) sends->addWidget(b);
    sends->addStretch(1);
    column->addLayout(sends);

    auto* keys = new QHBoxLayout;
    auto* endOfLine = keylessButton(this, "cmdCR", "EOL", "Send an ATASCII carriage return (155)");
    connect(endOfLine, &QPushButton::clicked, this, [this] { m_box.sendEndOfLine(); });
    auto* sign = keylessButton(this, "cmdSendSig", "Sign", "Send the signature of this BBS");
    connect(sign, &QPushButton::clicked, this, [this] { m_box.sign(); });
    keys->addWidget(endOfLine);
    keys->addWidget(sign);
    m_sendButtons = {sendFormatted, send, sendClear, endOfLine, sign};
    const std::array<std::pair<QString, QString>, 3> keystrokes{
        {{"Again", "[A]gain + Ctrl-S"}, {". . .", "Ctrl-Q to restart a chunk"}, {"! ! !", "Restart to end of msg"}}};
    for (int i = 0; i < 3; ++i) {
        const QByteArray name = "cmdApS_" + QByteArray::number(i);
        const auto& [caption, tip] = keystrokes[static_cast<std::size_t>(i)];
        auto* key = keylessButton(this, name.constData(), caption, tip);
        connect(key, &QPushButton::clicked, this, [this, i] { m_box.keystroke(i); });
        keys->addWidget(key);
        m_sendButtons.push_back(key);
    }
    auto* toEditor = keylessButton(this, "cmdBox2VXE", "Box to VXE", "Send Box Contents to VXEditor");
    connect(toEditor, &QPushButton::clicked, this, [this] {
        if (m_links.boxToEditor) m_links.boxToEditor();
    });
    keys->addWidget(toEditor);
    keys->addStretch(1);
    // Beside the buttons it disables, where the row has room for it.
    m_sending = new QLabel(this);
    m_sending->setObjectName("lblBoxSending");
    m_sending->setStyleSheet("color: #800000;");
    keys->addWidget(m_sending);
    column->addLayout(keys);

    textEdited();
    refresh();
}

QLineEdit* BoxPanel::field(const char* name, const QString& tip, int width) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setToolTip(tip);
    edit->setFixedWidth(width);
    edit->setReadOnly(true);
    return edit;
}

bool BoxPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_editor) {
        if (event->type() == QEvent::FocusIn) m_focusMarker->show();
        if (event->type() == QEvent::FocusOut) m_focusMarker->hide();
    }
    return QWidget::eventFilter(watched, event);
}

void BoxPanel::applyWidth() {
    const int columns = m_box.width();
    if (columns == m_shownWidth) return;
    m_shownWidth = columns;
    m_editor.setColumns(columns);
    const int textWidth = m_editor.fontMetrics().horizontalAdvance(QChar(u'0')) * columns;
    const int inset = m_editor.frameWidth() + static_cast<int>(m_editor.document()->documentMargin());
    m_editor.setFixedWidth(textWidth + 2 * inset + m_editor.verticalScrollBar()->sizeHint().width());
    for (QLabel* ruler : {m_tens, m_units}) {
        ruler->setFont(m_editor.font());
        ruler->setContentsMargins(inset, 0, 0, 0);
        ruler->setFixedWidth(m_editor.width());
    }
    m_tens->setText(tensRuler(columns));
    m_units->setText(unitsRuler(columns));
    m_slider->setFixedWidth(textWidth + 2 * inset);
    m_slider->setMaximum(columns);
    m_widthToggle->setText(columns == 80 ? "40" : "80");
}

void BoxPanel::textEdited() {
    const std::string text = m_editor.text();
    m_length->setText(QString::number(text.size()));
    const int lines = lineCount(text);
    m_lines->setText(lines == 1 ? "1 line" : QString::number(lines) + " lines");
    m_box.textChanged();
    if (m_links.textChanged) m_links.textChanged();
}

void BoxPanel::delayEdited() {
    if (!m_box.setSendDelayText(m_delay->text().toStdString())) m_delay->setText(QString::number(m_box.sendDelay()));
}

void BoxPanel::refresh() {
    setVisible(m_box.open());
    applyWidth();
    for (int step = 0; step < 4; ++step)
        m_stepMarkers[static_cast<std::size_t>(step)]->setVisible(m_box.open() && step == m_box.quoteStep());
    m_noWrap->setVisible(m_box.noWrap());
    for (QPushButton* b : m_sendButtons) b->setEnabled(!m_box.sending());
    m_sending->setText(qtText(m_box.sendingStatus()));
    m_sending->setVisible(m_box.sending());
    const QString prefix = qtText(m_box.prefixBox());
    if (m_prefix->text() != prefix) m_prefix->setText(prefix);
    if (!m_delay->hasFocus()) m_delay->setText(QString::number(m_box.sendDelay()));
    m_autoCR->setChecked(m_box.autoCR());
    m_alarmEnabled->setChecked(m_box.alarmEnabled());
    m_alarmColumn->setText(QString::number(m_box.alarmColumn()));
    if (m_slider->value() != m_box.alarmColumn()) {
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(m_box.alarmColumn());
    }
}

}  // namespace vx
