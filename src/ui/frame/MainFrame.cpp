#include "ui/frame/MainFrame.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/platform/ByteText.h"
#include "ui/platform/WindowPlacement.h"

namespace vx {
namespace {

struct ToolKey {
    const char* key;
    const char* caption;
    const char* tip;
};

// Toolbar order and texts; tbSND and tbREC are there but do nothing.
constexpr ToolKey kToolKeys[] = {
    {"tbCONNECT", "Dial", "Connect to the Selected BBS"},
    {"tbDISCONNECT", "Hang up", "Disconnect from the BBS"},
    {"tbEXIT", "Exit", "Exit the Program"},
    {"tbEDITLIST", "List", "BBS List"},
    {"tbBAUDSIM", "Baud", "Toggle Baud Rate Simulator"},
    {"tbSTAYALIVE", "Stay", "Toggle Stay Alive Mode"},
    {"tbCLRSCREEN", "Clr", "Clear the Local Screen"},
    {"tbEDITCFG", "Cfg", "Edit Configuration"},
    {"tbABOUT", "Info", "About this program"},
    {"tbPRTSCREEN", "Prt", "Print Screen"},
    {"tbSND", "Snd", "Send (Upload) a File"},
    {"tbREC", "Rec", "Receive (Download) a File"},
    {"tb80", "40/80", "Toggle between 40 and 80 columns"},
    {"tbFULL", "Full", "Full Screen (F11)"},
    {"tbViewBMP", "BMP", "View Screen Dump (BMP)"},
    {"tbBROWSE", "Web", "Open Web Access Window"},
    {"tbHELP", "Help", "Help System"},
    {"tbMOVE", "Move", "Set Positions of Application Windows"},
    {"tbDEBUG", "Dbg", "Load DEBUG form"},
};

struct Panel {
    const char* key;
    const char* tip;
    int widthPx;
};

constexpr Panel kPanels[] = {
    {"pnlSTAT", "Connection Status", 0},
    {"pnlBAUDSIM", "BAUDSIM Status", 48},
    {"pnlSTAYALIVE", "Stay Alive Status", 48},
    {"pnlCAPTURE", "Capture Status", 40},
    {"pnlAPPINFO", "", 0},
};

}  // namespace

MainFrame::MainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MDIForm1");
    setWindowTitle("Vexterm");
    // Maximizing is not offered: the frame's width belongs to the column mode.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    buildToolbar();
    buildStatusBar();
    setColumns(40);
}

const std::vector<std::string>& MainFrame::toolKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> list;
        for (const ToolKey& key : kToolKeys) list.emplace_back(key.key);
        return list;
    }();
    return keys;
}

void MainFrame::buildToolbar() {
    m_toolbar = addToolBar("Toolbar");
    m_toolbar->setObjectName("Toolbar1");
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolbar->setFocusPolicy(Qt::NoFocus);
    // Eighteen keys share the 40-column frame's 690 pixels.
    m_toolbar->setContentsMargins(0, 0, 0, 0);
    m_toolbar->layout()->setSpacing(0);
    m_toolbar->setStyleSheet("QToolButton { padding: 1px 0px; margin: 0px; font-size: 8pt; }");
    for (const ToolKey& key : kToolKeys) {
        QAction* action = m_toolbar->addAction(key.caption);
        action->setObjectName(key.key);
        action->setToolTip(key.tip);
        action->setEnabled(false);
        const std::string name = key.key;
        connect(action, &QAction::triggered, this, [this, name] { dispatch(name); });
        m_tools[name] = action;
    }
}

void MainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    for (const Panel& panel : kPanels) {
        auto* label = new QLabel(bar);
        label->setObjectName(panel.key);
        label->setToolTip(panel.tip);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        if (panel.widthPx > 0) {
            label->setFixedWidth(panel.widthPx);
            label->setAlignment(Qt::AlignCenter);
        }
        const bool stretches = std::string(panel.key) == "pnlAPPINFO";
        bar->addPermanentWidget(label, stretches ? 1 : 0);
        m_panels[panel.key] = label;
    }
}

void MainFrame::setWindows(QWidget* screenWindow, QWidget* terminalWindow) {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(screenWindow);
    layout->addWidget(terminalWindow);
    setCentralWidget(central);
    m_terminalWindow = terminalWindow;
}

void MainFrame::setToolAction(const std::string& key, std::function<void()> action) {
    const auto found = m_tools.find(key);
    if (found == m_tools.end()) return;
    found->second->setEnabled(static_cast<bool>(action));
    m_toolActions[key] = std::move(action);
}

QAction* MainFrame::toolButton(const std::string& key) const {
    const auto found = m_tools.find(key);
    return found == m_tools.end() ? nullptr : found->second;
}

void MainFrame::setToolEnabled(const std::string& key, bool enabled) {
    const auto found = m_tools.find(key);
    if (found != m_tools.end()) found->second->setEnabled(enabled && m_toolActions.count(key) > 0);
}

void MainFrame::dispatch(const std::string& key) {
    const auto found = m_toolActions.find(key);
    if (found != m_toolActions.end() && found->second) found->second();
}

int MainFrame::availableWidth() const {
    const QScreen* shown = screen();
    if (!shown) return 0;
    return shown->availableGeometry().width() - (frameGeometry().width() - width());
}

void MainFrame::setColumns(int columns, int contentWidth) {
    m_columns = columns;
    if (m_fullScreen) return;  // the width comes back with the window
    const int wanted = std::max(columns == 80 ? kWidth80 : kWidth40, contentWidth);
    const int available = availableWidth();
    setFixedWidth(available > 0 ? std::min(wanted, available) : wanted);
    // The message panel: 13 200 or 4 200 twips.
    m_panels["pnlSTAT"]->setFixedWidth((columns == 80 ? 13200 : 4200) / kTwipsPerPixel);
}

void MainFrame::setFullScreen(bool on) {
    if (on == m_fullScreen) return;
    m_fullScreen = on;
    m_toolbar->setVisible(!on);
    statusBar()->setVisible(!on);
    auto* box = static_cast<QVBoxLayout*>(centralWidget()->layout());
    if (on) {
        // The terminal window leaves the layout: hidden, or over the foot of the screen.
        box->removeWidget(m_terminalWindow);
        m_terminalWindow->hide();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        // Asked once the layout has settled: a window manager (openbox) may drop the request when
        // it comes between the resizes that putting the bars away makes.
        QTimer::singleShot(0, this, [this] {
            if (m_fullScreen) showFullScreen();
        });
    } else {
        box->addWidget(m_terminalWindow);
        m_terminalWindow->show();
        showNormal();  // back to the place it had
    }
}

void MainFrame::setTerminalOverScreen(bool shown) {
    if (!m_fullScreen) return;
    if (!shown) {
        m_terminalWindow->hide();
        return;
    }
    // As wide as the frame is outside full screen, centred at the foot.
    const int wide = std::min(centralWidget()->width(), m_columns == 80 ? kWidth80 : kWidth40);
    const int high = std::min(centralWidget()->height(), m_terminalWindow->sizeHint().height());
    m_terminalWindow->setGeometry((centralWidget()->width() - wide) / 2, centralWidget()->height() - high, wide, high);
    m_terminalWindow->setAutoFillBackground(true);  // over the black screen: its own background
    m_terminalWindow->show();
    m_terminalWindow->raise();
}

bool MainFrame::terminalOverScreen() const { return m_fullScreen && m_terminalWindow->isVisible(); }

void MainFrame::setBoxOpen(bool open) {
    if (m_fullScreen) return;
    // The sizes the windows ask for follow what was just shown or hidden: every layout is brought
    // up to date now, inner ones first, not after this resize.
    const QList<QWidget*> inner = findChildren<QWidget*>();
    for (auto widget = inner.rbegin(); widget != inner.rend(); ++widget)
        if (QLayout* innerLayout = (*widget)->layout()) innerLayout->activate();
    if (QLayout* frameLayout = layout()) frameLayout->activate();
    // What the windows would like (The Box some ten lines high), and no less than they need.
    int height = std::max((open ? kHeightBoxOpen : kHeightBoxClosed) + m_screenGrowth, sizeHint().height());
    if (const QScreen* shown = screen())
        height = std::max(
            minimumSizeHint().height(),
            std::min(height, shown->availableGeometry().height() - (frameGeometry().height() - this->height())));
    resize(width(), height);
}

void MainFrame::centreOnScreen(int top) { move(centredPlace(top)); }

QPoint MainFrame::centredPlace(int top) const {
    const QScreen* shown = screen();
    if (!shown) return pos();
    const QRect area = shown->availableGeometry();
    // On a short screen the frame moves up rather than run off the bottom.
    const int lowestTop = area.top() + area.height() - frameGeometry().height();
    return {area.left() + std::max(0, (area.width() - frameGeometry().width()) / 2),
            std::max(area.top(), std::min(top, lowestTop))};
}

int MainFrame::terminalTop() const {
    return m_terminalWindow ? m_terminalWindow->mapTo(this, QPoint(0, 0)).y() : height() / 2;
}

void MainFrame::setPanelText(const std::string& panel, const std::string& text, bool refresh) {
    const auto found = m_panels.find(panel);
    if (found == m_panels.end()) return;
    const QString shown = qtText(text);
    found->second->setText(shown);
    if (panel == "pnlSTAT") found->second->setToolTip(shown.isEmpty() ? "Connection Status" : shown);
    if (refresh) found->second->repaint();
}

QString MainFrame::panelText(const std::string& panel) const {
    const auto found = m_panels.find(panel);
    return found == m_panels.end() ? QString() : found->second->text();
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (m_onClose) m_onClose();
    event->accept();
}

void MainFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized) && !m_fullScreen)
        setWindowState(windowState() & ~Qt::WindowMaximized);
    QMainWindow::changeEvent(event);
}

void MainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!m_keepOnScreen || m_fullScreen) return;
    m_keepOnScreen = false;
    keepOnScreen(*this);
}

void MainFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QMainWindow::mouseReleaseEvent(event);
        return;
    }
    if (!m_popup) {
        m_popup = new QMenu(this);
        m_popup->setObjectName("mnuPopup");
        for (const char* key : {"tbCONNECT", "tbDISCONNECT", "tb80", "tbEDITCFG", "tbEXIT"}) {
            QAction* tool = m_tools[key];
            QAction* item = m_popup->addAction(tool->toolTip(), [this, key] { dispatch(key); });
            connect(tool, &QAction::enabledChanged, item, &QAction::setEnabled);
            item->setEnabled(tool->isEnabled());
        }
    }
    m_popup->popup(event->globalPosition().toPoint());
}

}  // namespace vx
