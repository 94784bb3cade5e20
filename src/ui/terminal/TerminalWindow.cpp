#include "ui/terminal/TerminalWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "base/Formats.h"
#include "config/ConfigSettings.h"
#include "directory/BBSList.h"
#include "screen/ScreenInterpreter.h"
#include "session/TerminalSession.h"
#include "ui/platform/ByteText.h"
#include "ui/terminal/BoxEditor.h"
#include "ui/terminal/BoxPanel.h"
#include "ui/terminal/KeylessButton.h"

namespace vx {
namespace {

QLabel* light(QWidget* parent, const char* name, const QString& tip) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setToolTip(tip);
    label->setFixedSize(14, 14);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAutoFillBackground(true);
    return label;
}

void setLight(QLabel* label, bool on, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, on ? colour : QColor(64, 64, 64));
    label->setPalette(palette);
    label->setProperty("lit", on);
}

}  // namespace

TerminalWindow::TerminalWindow(TerminalSession& session, BBSList& list, ConfigSettings& config,
                               ScreenInterpreter& screen, BoxEditor& boxEditor, QWidget* parent)
    : QWidget(parent), m_session(session), m_list(list), m_config(config), m_screen(screen) {
    setObjectName("Form6");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(3);

    // Row 0: the board and the connection.
    m_combo = new QComboBox(this);
    m_combo->setObjectName("Combo1");
    m_combo->setToolTip("Select a BBS");
    m_combo->setMinimumWidth(220);
    connect(m_combo, &QComboBox::activated, this, [this](int index) { m_session.connection().selectBBS(index); });
    m_connect = keylessButton(this, "Command1", "Connect", "Connect to the Selected BBS");
    connect(m_connect, &QPushButton::clicked, this, [this] { m_session.connection().connectButton(); });
    m_disconnect = keylessButton(this, "Command3", "Disconnect", "Disconnect from the BBS");
    connect(m_disconnect, &QPushButton::clicked, this, [this] { m_session.connection().disconnectButton(); });
    m_editBBS = keylessButton(this, "cmdEditBBS", "Edit BBS", "BBS List");
    connect(m_editBBS, &QPushButton::clicked, this, [this] {
        if (m_actions.editBBS) m_actions.editBBS();
    });
    auto* clear = keylessButton(this, "cmdClearScreen", "Clear", "Clear the Local Screen");
    connect(clear, &QPushButton::clicked, this, [this] {
        m_screen.ScreenHandler(ScreenInterpreter::kClearScreen);
        if (m_actions.screenChanged) m_actions.screenChanged();
        if (m_actions.refocusScreen) m_actions.refocusScreen();
    });
    auto* exitButton = keylessButton(this, "cmdExit", "E&xit", "Exit the Program");
    connect(exitButton, &QPushButton::clicked, this, [this] { exitProgram(); });
    m_connectedLight = light(this, "shpConnected", "Connection");
    auto* row0 = new QHBoxLayout;
    row0->addWidget(m_connectedLight);
    row0->addWidget(m_combo, 1);
    for (QWidget* w :
         {static_cast<QWidget*>(m_connect), static_cast<QWidget*>(m_disconnect), static_cast<QWidget*>(m_editBBS),
          static_cast<QWidget*>(clear), static_cast<QWidget*>(exitButton)})
        row0->addWidget(w);
    grid->addLayout(row0, 0, 0);

    // Row 1: macros, then the tool windows.
    auto* row1 = new QHBoxLayout;
    row1->addWidget(new QLabel("Macros:", this));
    for (int i = 0; i < 10; ++i) {
        const QByteArray name = "cmdMAC" + QByteArray::number(i);
        QPushButton* macro = keylessButton(this, name.constData(), QString(), "Send macro " + QString::number(i));
        macro->setFixedWidth(28);
        macro->hide();
        connect(macro, &QPushButton::clicked, this, [this, i] {
            m_session.macroButton(i);
            if (m_actions.refocusScreen) m_actions.refocusScreen();
        });
        m_macros[static_cast<std::size_t>(i)] = macro;
        row1->addWidget(macro);
    }
    row1->addStretch(1);
    // The windows and switches beside the macros, where the row has room.
    std::vector<QPushButton*> tools;
    auto* urls = keylessButton(this, "Command7", "URLs", "Open / Close the URL detection system");
    connect(urls, &QPushButton::clicked, this, [this] {
        if (m_actions.toggleUrls) m_actions.toggleUrls();
    });
    tools.push_back(urls);
    m_boxToggle = keylessButton(this, "cmdTW", "Box", "Open / Close the Box");
    m_boxToggle->setCheckable(true);
    connect(m_boxToggle, &QPushButton::clicked, this, [this] { m_session.box().toggleOpen(); });
    tools.push_back(m_boxToggle);
    auto* editor = keylessButton(this, "cmdEditor", "VXE", "Open VXEditor");
    connect(editor, &QPushButton::clicked, this, [this] { m_session.moji().showEditor(); });
    tools.push_back(editor);
    m_viewLog = keylessButton(this, "cmdViewSL", "Log", "View System Log");
    connect(m_viewLog, &QPushButton::clicked, this, [this] {
        if (m_actions.viewLog) m_actions.viewLog();
    });
    tools.push_back(m_viewLog);
    auto* status = keylessButton(this, "cmdStatus", "Status", "Connection status, speed and counts");
    connect(status, &QPushButton::clicked, this, [this] {
        if (m_actions.openStatus) m_actions.openStatus();
    });
    tools.push_back(status);
    for (QPushButton* tool : tools) {
        tool->setMaximumWidth(64);
        row1->addWidget(tool);
    }
    grid->addLayout(row1, 1, 0);

    // Row 2: scrollback, capture viewer.
    auto* row2 = new QHBoxLayout;
    m_scrollback = keylessButton(this, "cmdScrollback", "ScrollBack", "View Scrollback Buffer");
    connect(m_scrollback, &QPushButton::clicked, this,
            [this] { m_session.scrollback().viewScrollback(scrollbackCount()); });
    m_boxPanel = new BoxPanel(m_session.box(), boxEditor, this);
    m_boxPanel->setEditorLinks({[this] { m_session.moji().boxToEditor(); }, [this] { m_session.moji().boxChanged(); }});
    m_scrollbackToBox = keylessButton(this, "cmdSBtoBox", "1) Scrollback to Box", "Send Scrollback buffer to Box");
    connect(m_scrollbackToBox, &QPushButton::clicked, this,
            [this] { m_session.box().scrollbackToBox(scrollbackCount()); });
    m_scrollbackCount = new QLineEdit(this);
    m_scrollbackCount->setObjectName("txtNumSBChars");
    m_scrollbackCount->setToolTip("# of chars to scroll back");
    m_scrollbackCount->setFixedWidth(56);
    connect(m_scrollbackCount, &QLineEdit::textEdited, this, [this] { scrollbackCountEdited(); });
    m_pause = keylessButton(this, "cmdPause", "Pause");
    connect(m_pause, &QPushButton::clicked, this, [this] { m_session.scrollback().togglePause(); });
    m_stop = keylessButton(this, "cmdStopSB", "Abort");
    connect(m_stop, &QPushButton::clicked, this, [this] { m_session.scrollback().abort(); });
    m_scrollbackIndicator = light(this, "shapScrollBack", "Scrollback replay");
    setLight(m_scrollbackIndicator, true, QColor(255, 200, 0));
    m_viewAbort = keylessButton(this, "cmdViewAbort", CaptureFile::kAbortButtonCaption);
    connect(m_viewAbort, &QPushButton::clicked, this, [this] { m_session.capture().abortViewer(); });
    m_viewPause = keylessButton(this, "cmdViewPause", CaptureFile::kPauseButtonCaption);
    connect(m_viewPause, &QPushButton::clicked, this, [this] { m_session.capture().toggleViewerPause(); });
    for (QWidget* w :
         {static_cast<QWidget*>(m_scrollback), static_cast<QWidget*>(m_scrollbackCount),
          static_cast<QWidget*>(m_boxPanel->stepMarker(1)), static_cast<QWidget*>(m_scrollbackToBox),
          static_cast<QWidget*>(m_pause), static_cast<QWidget*>(m_stop), static_cast<QWidget*>(m_scrollbackIndicator),
          static_cast<QWidget*>(m_viewAbort), static_cast<QWidget*>(m_viewPause)})
        row2->addWidget(w);
    row2->addStretch(1);
    grid->addLayout(row2, 2, 0);

    // Row 3: BaudSim value, online time and the indicators.
    auto* row3 = new QHBoxLayout;
    row3->addWidget(new QLabel("BaudSim (Lower=Faster):", this));
    m_baudSimValue = new QLineEdit(this);
    m_baudSimValue->setObjectName("Text5");
    m_baudSimValue->setToolTip("BaudSim value 0-9 (Lower=Faster)");
    m_baudSimValue->setFixedWidth(32);
    connect(m_baudSimValue, &QLineEdit::textEdited, this, [this] { baudSimValueEdited(); });
    row3->addWidget(m_baudSimValue);
    row3->addStretch(1);
    m_logLight = light(this, "shpLog", "System log");
    m_onlineLight = light(this, "shpOnline", "Online timer");
    row3->addWidget(new QLabel("Log", this));
    row3->addWidget(m_logLight);
    row3->addWidget(new QLabel("Online:", this));
    row3->addWidget(m_onlineLight);
    m_online = new QLineEdit(this);
    m_online->setObjectName("txtOnline");
    m_online->setReadOnly(true);
    m_online->setFixedWidth(80);
    m_online->setAlignment(Qt::AlignCenter);
    row3->addWidget(m_online);
    grid->addLayout(row3, 3, 0);
    grid->addWidget(m_boxPanel, 4, 0);
    grid->setRowStretch(4, 1);

    auto refreshLater = [this] { refresh(); };
    m_session.scrollback().setOnChanged(refreshLater);
    m_session.scrollback().setOnReplayFinished([this] {
        if (m_actions.refocusScreen) m_actions.refocusScreen();
    });
    applyScrollbackSetting();
    refresh();
}

void TerminalWindow::exitProgram() {
    if (m_actions.exit) m_actions.exit();
}

void TerminalWindow::fillBBSList() {
    m_combo->clear();
    for (const BBSListEntry& entry : m_list.entries()) m_combo->addItem(qtText(entry.name));
    m_combo->setCurrentIndex(m_session.connection().selectedIndex());
}

void TerminalWindow::baudSimValueEdited() {
    const std::string text = m_baudSimValue->text().toStdString();
    if (!isWholeNumberText(text)) {
        m_baudSimValue->setText(QString::number(m_config.BaudSimVal));
        return;
    }
    m_config.BaudSimVal = static_cast<std::int16_t>(std::clamp<std::int64_t>(parseLeadingNumber(text), 0, 9));
}

int TerminalWindow::scrollbackCount() const {
    return static_cast<int>(std::clamp<std::int64_t>(parseLeadingNumber(m_scrollbackCount->text().toStdString()), -1,
                                                     Scrollback::kRingSize));
}

void TerminalWindow::scrollbackCountEdited() {
    const std::string typed = m_scrollbackCount->text().toStdString();
    const std::string corrected = correctScrollbackCount(typed, m_config.SBbufferSize);
    if (corrected != typed) m_scrollbackCount->setText(QString::fromStdString(corrected));
}

void TerminalWindow::applyScrollbackSetting() {
    const bool on = m_config.ScrollBack;
    m_scrollback->setVisible(on);
    m_scrollbackToBox->setVisible(on);
    m_scrollbackCount->setVisible(on);
    m_scrollbackCount->setText(QString::number(m_config.SBbufferSize));
}

void TerminalWindow::setLogIndicator(bool on) { setLight(m_logLight, on, QColor(0, 160, 255)); }

void TerminalWindow::setViewLogVisible(bool on) { m_viewLog->setVisible(on); }

void TerminalWindow::refresh() {
    const Connection& connection = m_session.connection();
    m_connect->setText(qtText(connection.connectCaption()));
    m_connect->setEnabled(connection.connectEnabled());
    m_disconnect->setEnabled(connection.disconnectEnabled());
    m_combo->setEnabled(connection.pickingEnabled());
    if (m_combo->currentIndex() != connection.selectedIndex()) m_combo->setCurrentIndex(connection.selectedIndex());
    setLight(m_connectedLight, connection.indicatorGreen(), QColor(0, 255, 0));  // 65280
    // Lit while the online clock runs: during a call, with the online timer on.
    setLight(m_onlineLight, m_config.OnlineTimer && connection.connected(), QColor(0, 200, 0));
    m_online->setText(qtText(connection.onlineText()));

    const auto& macros = m_session.macros().buttons();
    for (std::size_t i = 0; i < macros.size(); ++i) {
        m_macros[i]->setText(qtText(macros[i].caption));
        m_macros[i]->setVisible(macros[i].visible);
    }

    const Scrollback& scrollback = m_session.scrollback();
    m_pause->setVisible(scrollback.replaying());
    m_pause->setText(scrollback.pauseCaption());
    m_stop->setVisible(scrollback.replaying());
    m_scrollbackIndicator->setVisible(scrollback.replaying());

    const CaptureFile& capture = m_session.capture();
    m_viewAbort->setVisible(capture.viewerButtonsVisible());
    m_viewPause->setVisible(capture.viewerButtonsVisible());

    if (!m_baudSimValue->hasFocus()) m_baudSimValue->setText(QString::number(m_config.BaudSimVal));
    m_boxToggle->setChecked(m_session.box().open());
    m_boxPanel->refresh();
}

}  // namespace vx
