#include "ui/terminal/MojiEditorWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "session/MojiEditor.h"
#include "tools/MojiFiles.h"
#include "ui/platform/ByteText.h"
#include "ui/platform/Marker.h"
#include "ui/terminal/ScreenWidget.h"

namespace vx {
MojiEditorWindow::MojiEditorWindow(MojiEditor& editor, Actions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), m_editor(editor), m_actions(std::move(actions)) {
    setObjectName("Form5");
    setWindowTitle("VXEditor - View and Edit ATASCII Values");
    setAttribute(Qt::WA_QuitOnClose, false);
    // Two columns, so the window fits beside the main frame: the files and the check-box steps
    // on the left; the codes, their preview, the sends and the options on the right.
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("'Mojis:", this));
    m_files = new QListWidget(this);
    m_files->setObjectName("File1");
    m_files->setToolTip("The 'Mojis folder: double-click to load");
    m_files->setMinimumWidth(140);
    m_files->setMaximumWidth(190);
    connect(m_files, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { m_editor.load(bytesOf(item->text())); });
    left->addWidget(m_files, 1);
    auto* fileButtons = new QGridLayout;
    fileButtons->addWidget(
        button("cmdLoad", "Load", "Load the selected 'Moji", [this] { m_editor.load(bytesOf(selectedName())); }), 0, 0);
    fileButtons->addWidget(
        button("cmdSave", "Save", "Save the codes as a 'Moji", [this] { m_editor.save(bytesOf(selectedName())); }), 0,
        1);
    fileButtons->addWidget(button("cmdDelete", "Delete", "Delete the selected 'Moji",
                                  [this] { m_editor.deleteFile(bytesOf(selectedName())); }),
                           1, 0);
    fileButtons->addWidget(button("cmdOpenFile", "Open...", "Load a 'Moji or an ATASCII screen (.ata) from any folder",
                                  [this] {
                                      if (m_actions.openFile) m_actions.openFile();
                                  }),
                           1, 1);
    left->addLayout(fileButtons);

    m_hint = new QLabel(this);
    m_hint->setObjectName("lblHint");
    m_hint->setStyleSheet("font-weight: bold;");
    left->addSpacing(6);
    left->addWidget(m_hint);
    auto* starts = new QHBoxLayout;
    m_tickedMarker = makeMarker(this, "shpTicked", "A ticked box was started");
    m_emptyMarker = makeMarker(this, "shpEmpty", "An empty box was started");
    starts->addWidget(m_tickedMarker);
    starts->addWidget(button("CmdStartCheck_0", "1) Start", "Start a -X-ed Box",
                             [this] { m_editor.checkStep(MojiEditor::CheckStep::StartTicked); }));
    starts->addWidget(m_emptyMarker);
    starts->addWidget(button("CmdStartCheck_2", "1) Start", "Start an Empty Box",
                             [this] { m_editor.checkStep(MojiEditor::CheckStep::StartEmpty); }));
    left->addLayout(starts);
    m_label = new QLineEdit(this);
    holdToCodePage(m_label);
    m_label->setObjectName("txtLabel");
    m_label->setToolTip("The ChXbox's label");
    left->addWidget(m_label);
    left->addWidget(button("cmdLabel2VXE", "2) Insert Label", "Insert the label into the ChXbox",
                           [this] { m_editor.insertLabel(bytesOf(m_label->text())); }));
    left->addWidget(button("CmdStartCheck_1", "3) Finish", "Finish either Box",
                           [this] { m_editor.checkStep(MojiEditor::CheckStep::Finish); }));
    grid->addLayout(left, 0, 0);

    auto* right = new QVBoxLayout;
    auto* labels = new QHBoxLayout;
    m_fileLabel = new QLabel(this);
    m_fileLabel->setObjectName("lblFile");
    labels->addWidget(m_fileLabel, 1);
    for (std::size_t i = 0; i < m_editedLabels.size(); ++i) {
        m_editedLabels[i] = new QLabel("* * *  Edited  * * *", this);
        m_editedLabels[i]->setObjectName("lblEdited_" + QString::number(i));
        m_editedLabels[i]->setStyleSheet("color: #c00000;");
    }
    labels->addWidget(m_editedLabels[0]);
    m_online = new QLabel("ONLINE", this);
    m_online->setObjectName("lblOnline");
    m_online->setStyleSheet("color: #008000; font-weight: bold;");
    labels->addWidget(m_online);
    // The state labels come and go without moving the buttons: their places are kept, and a long
    // file name is cut rather than widen the window.
    for (QLabel* label : {m_editedLabels[0], m_editedLabels[1], m_online}) {
        keepPlaceWhenHidden(label);
    }
    m_fileLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    right->addLayout(labels);

    m_codes = new QPlainTextEdit(this);
    m_codes->setObjectName("RTB1");
    m_codes->setToolTip("ATASCII values, each followed by ;");
    m_codes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_codes->setReadOnly(true);
    m_codes->setMinimumSize(320, 90);
    connect(m_codes, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_codes->isReadOnly()) m_editor.setCodes(bytesOf(m_codes->toPlainText()));
    });
    right->addWidget(m_codes, 1);

    // The preview: the codes drawn on a screen of their own, at the board's pixel size.
    m_preview = new ScreenWidget(m_previewSurface, this);
    m_preview->setObjectName("picPreview");
    m_preview->setToolTip("What the codes draw");
    m_preview->setAvailableWidth(40 * Framebuffer::kCellSize / 2);
    m_preview->setColumns(40);
    m_preview->setFixedSize(m_preview->sizeHint());
    m_previewTimer = new QTimer(this);
    m_previewTimer->setSingleShot(true);
    connect(m_previewTimer, &QTimer::timeout, this, [this] { drawPreview(); });
    right->addWidget(m_preview);

    auto* sends = new QGridLayout;
    sends->addWidget(button("cmdSendMain", "Send to Main", "Send the codes to the BBS, or draw them when offline",
                            [this] { m_editor.sendToMain(); }),
                     0, 0);
    m_enableEditing =
        button("cmdEnableEdit", "Enable Editing", "Let the codes be typed", [this] { m_editor.toggleEditing(); });
    m_enableEditing->setCheckable(true);
    sends->addWidget(m_enableEditing, 0, 1);
    sends->addWidget(button("cmdClearText", "Clear", "Empty the codes", [this] { m_editor.clear(); }), 1, 0);
    sends->addWidget(button("cmdClearLocal", "Clear Both", "Clear the main screen and the codes",
                            [this] { m_editor.clearScreenAndCodes(); }),
                     1, 1);
    m_inverse = new QCheckBox("Inverse Characters", this);
    m_inverse->setObjectName("chkInverse");
    m_inverse->setToolTip("Type inverse characters on the screen (End)");
    connect(m_inverse, &QCheckBox::clicked, this, [this](bool on) { m_editor.setInverse(on); });
    sends->addWidget(m_inverse, 2, 0);
    sends->addWidget(check("chkCreateFile", "Create File", &m_editor.createFile), 2, 1);
    sends->addWidget(check("chkClearMain", "Clear Main Screen before Send", &m_editor.clearScreenFirst), 3, 0);
    sends->addWidget(check("chkClearAfter", "Clear After Send", &m_editor.clearAfterSend), 3, 1);
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(new QLabel("Delay (ms):", this));
    m_delay = new QLineEdit(this);
    m_delay->setObjectName("txtDelay");
    m_delay->setToolTip("Delay between characters when sending, 0-1000 ms");
    m_delay->setFixedWidth(52);
    connect(m_delay, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!m_editor.setDelayText(text.toStdString())) m_delay->setText(QString::number(m_editor.delayMs()));
    });
    connect(m_delay, &QLineEdit::editingFinished, this,
            [this] { m_delay->setText(QString::number(m_editor.delayMs())); });
    delayRow->addWidget(m_delay);
    delayRow->addStretch(1);
    delayRow->addWidget(m_editedLabels[1]);
    sends->addLayout(delayRow, 4, 0, 1, 2);
    right->addLayout(sends);
    grid->addLayout(right, 0, 1);

    m_warning = new QLabel(QString(MojiEditor::kWarning) + "   X", this);
    m_warning->setObjectName("lblWarning");
    m_warning->setWordWrap(true);
    m_warning->setStyleSheet("background: #fff0a0; color: #800000; padding: 3px;");
    m_warning->setCursor(Qt::PointingHandCursor);
    m_warning->setToolTip("Click to hide");
    m_warning->installEventFilter(this);
    // Its place is kept while hidden: a second press of Send to Main must find the button where
    // the first one was.
    keepPlaceWhenHidden(m_warning);
    grid->addWidget(m_warning, 1, 0, 1, 2);

    refreshFiles();
    refresh();
}

MojiEditorWindow::~MojiEditorWindow() = default;

QPushButton* MojiEditorWindow::button(const char* name, const QString& text, const QString& tip,
                                      std::function<void()> action) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setToolTip(tip);
    connect(b, &QPushButton::clicked, this, std::move(action));
    return b;
}

QCheckBox* MojiEditorWindow::check(const char* name, const QString& text, bool* option) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(name);
    box->setChecked(*option);
    connect(box, &QCheckBox::toggled, this, [option](bool on) { *option = on; });
    return box;
}

QString MojiEditorWindow::selectedName() const {
    const QListWidgetItem* item = m_files->currentItem();
    return item ? item->text() : QString();
}

void MojiEditorWindow::refreshFiles() {
    const QString selected = selectedName();
    m_files->clear();
    for (const std::string& name : m_editor.fileNames()) m_files->addItem(qtText(name));
    const auto found = m_files->findItems(selected, Qt::MatchExactly);
    if (!found.isEmpty()) m_files->setCurrentItem(found.first());
}

void MojiEditorWindow::refresh() {
    showCodes();
    m_codes->setReadOnly(!m_editor.editingEnabled());
    m_enableEditing->setChecked(m_editor.editingEnabled());
    m_fileLabel->setText(qtText(m_editor.fileLabel()));
    for (QLabel* label : m_editedLabels) label->setVisible(m_editor.edited());
    m_online->setVisible(m_actions.connected && m_actions.connected());
    m_warning->setVisible(m_editor.warningShown());
    m_hint->setText(qtText(m_editor.hint()));
    m_tickedMarker->setVisible(m_editor.boxKind() == MojiEditor::BoxKind::Ticked);
    m_emptyMarker->setVisible(m_editor.boxKind() == MojiEditor::BoxKind::Empty);
    if (!m_delay->hasFocus()) m_delay->setText(QString::number(m_editor.delayMs()));
    const bool inverse = m_editor.hooks().inverseTyping && m_editor.hooks().inverseTyping();
    if (m_inverse->isChecked() != inverse) m_inverse->setChecked(inverse);
    if (m_editor.replacements() != m_previewedReplacements || m_editor.codes().size() != m_previewedSize ||
        !m_previewedAll)
        m_previewTimer->start(0);  // once per burst of changes
}

void MojiEditorWindow::showCodes() {
    const std::string& codes = m_editor.codes();
    const QSignalBlocker quiet(m_codes);
    if (m_editor.replacements() == m_shownReplacements && codes.size() >= m_shownSize) {
        // Appended (a capture export, offline typing): setting the whole text again for every
        // record would cost the square of the export.
        if (codes.size() > m_shownSize) {
            QTextCursor end(m_codes->document());
            end.movePosition(QTextCursor::End);
            end.insertText(qtText(std::string_view(codes).substr(m_shownSize)));
            m_codes->moveCursor(QTextCursor::End);
        }
    } else {
        const QString text = qtText(codes);
        if (m_codes->toPlainText() != text) {
            m_codes->setPlainText(text);
            m_codes->moveCursor(QTextCursor::End);
        }
    }
    m_shownReplacements = m_editor.replacements();
    m_shownSize = codes.size();
}

void MojiEditorWindow::drawPreview() {
    const std::string_view codes = m_editor.codes();
    if (m_editor.replacements() != m_previewedReplacements || codes.size() < m_previewedSize || !m_previewedAll) {
        m_previewScreen.ScreenHandler(ScreenInterpreter::kClearScreen);
        m_previewedSize = 0;
        m_previewedReplacements = m_editor.replacements();
    }
    // Whole codes only go on from where the last drawing stopped; a last code still without its
    // ";" is drawn too, and the next drawing starts afresh so it is not drawn twice.
    const std::size_t separator = codes.rfind(';');
    const std::size_t whole = separator == std::string_view::npos ? 0 : separator + 1;
    const std::size_t from = std::min(m_previewedSize, whole);
    for (char c : parseCodeList(codes.substr(from)).bytes) m_previewScreen.ScreenHandler(static_cast<std::uint8_t>(c));
    m_previewedAll = codes.find_first_not_of(" \t\r\n", whole) == std::string_view::npos;
    m_previewedSize = m_previewedAll ? codes.size() : whole;
    m_preview->surfaceChanged();
}

bool MojiEditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_warning && event->type() == QEvent::MouseButtonRelease) {
        m_editor.hideWarning();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MojiEditorWindow::closeEvent(QCloseEvent* event) {
    m_editor.closed();
    QWidget::closeEvent(event);
}

}  // namespace vx
