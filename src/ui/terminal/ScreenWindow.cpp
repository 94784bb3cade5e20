#include "ui/terminal/ScreenWindow.h"

#include <QActionGroup>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <iterator>

#include "screen/Framebuffer.h"
#include "session/KeyboardInput.h"
#include "tools/Capture.h"
#include "ui/platform/ByteText.h"
#include "ui/terminal/ScreenKeys.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/StartupPicture.h"

namespace vx {
namespace {

constexpr int kPictureLeft = 125;
constexpr int kPictureTop = 20;
constexpr int kWidth40 = 690;   // 10 350 twips
constexpr int kWidth80 = 1380;  // 20 700 twips

}  // namespace

ScreenWindow::ScreenWindow(Framebuffer& surface, KeyboardInput& keys, CaptureFile& capture, QWidget* parent)
    : QWidget(parent), m_surface(surface), m_keys(keys), m_capture(capture) {
    setObjectName("Form1");
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setFocusPolicy(Qt::StrongFocus);

    m_screen = new ScreenWidget(surface, this);
    m_screen->setObjectName("Screen");
    m_screen->installEventFilter(this);
    // Whatever gives this window the focus gives it to the screen, where the keys are read.
    setFocusProxy(m_screen);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->addWidget(m_screen, 0, Qt::AlignHCenter | Qt::AlignTop);

    // The screen starts black with the start-up picture painted into it; the first clear wipes it.
    surface.clear();
    StartupPicture::paintInto(surface, kPictureLeft, kPictureTop);

    // The focus marker: a small green square at the top left, shown while the screen has the keys.
    m_focusMarker = new QWidget(this);
    m_focusMarker->setObjectName("shpFocus");
    m_focusMarker->setStyleSheet("background: #30d030;");
    m_focusMarker->setGeometry(4, 4, 8, 8);
    m_focusMarker->hide();

    // While the history is shown the eye is on the screen: the marker says so there.
    m_historyMarker = new QLabel(this);
    m_historyMarker->setObjectName("lblHistory");
    m_historyMarker->setStyleSheet("background: #d0a020; color: black; padding: 2px 6px; font-weight: bold;");
    m_historyMarker->hide();

    m_captureBar = new QWidget(this);
    m_captureBar->setObjectName("shpCapture");
    m_captureBar->setStyleSheet("background: #d03030;");
    m_captureBar->hide();

    buildCaptureMenu();
    setColumns(40);
}

void ScreenWindow::buildCaptureMenu() {
    m_captureMenu = new QMenu("Capture", this);
    m_captureMenu->setObjectName("mnuCapture");
    m_captureOn = m_captureMenu->addAction(qtText(m_capture.captureCaption()), [this] { m_capture.toggleCapture(); });
    m_captureOn->setObjectName("mnuCaptureOn");
    m_captureOn->setCheckable(true);
    m_captureMenu->addSeparator();
    m_filename = m_captureMenu->addAction("", [this] { m_capture.rename(); });
    m_filename->setObjectName("mnuCaptureFilename");
    m_view = m_captureMenu->addAction("&View Capture File", [this] { m_capture.ViewCaptureFile(false, 0); });
    m_view->setObjectName("mnuViewCapture");
    m_delete = m_captureMenu->addAction("&Delete Capture File", [this] { m_capture.deleteFile(); });
    m_delete->setObjectName("mnuDeleteCapture");
    m_mode = m_captureMenu->addAction("", [this] { m_capture.toggleMode(); });
    m_mode->setObjectName("mnuCaptureMode");
    m_captureMenu->addSeparator();
    const auto saveAs = [this](const char* caption, const char* name, DumpFormat format) {
        m_captureMenu
            ->addAction(caption,
                        [this, format] {
                            if (m_actions.saveScreen) m_actions.saveScreen(format);
                        })
            ->setObjectName(name);
    };
    saveAs("Save Screen As .BMP", "mnuCAPTUREssbmp", DumpFormat::Bmp);
    saveAs("Save Screen As .PNG", "mnuSavePNG", DumpFormat::Png);
    saveAs("Save Screen As ATASCII", "mnuSaveATASCII", DumpFormat::Atascii);
    saveAs("Save Screen As Text", "mnuSaveText", DumpFormat::Text);
    m_captureMenu
        ->addAction("Copy Screen as Text",
                    [this] {
                        if (m_actions.copyScreenText) m_actions.copyScreenText();
                    })
        ->setObjectName("mnuCopyText");
    auto* log = m_captureMenu->addAction("View System Log", [this] {
        if (m_actions.viewLog) m_actions.viewLog();
    });
    log->setObjectName("mnuCAPTUREViewLog");
    auto* paste = m_captureMenu->addAction("Paste Clipboard to Main Screen", [this] {
        if (m_actions.pasteScreen) m_actions.pasteScreen();
    });
    paste->setObjectName("mnuPasteScreen");
    m_captureMenu->addSeparator();
    for (const bool upload : {false, true}) {
        m_captureMenu
            ->addAction(upload ? "Upload File..." : "Download File...",
                        [this, upload] {
                            if (m_actions.transfer) m_actions.transfer(upload);
                        })
            ->setObjectName(upload ? "mnuUpload" : "mnuDownload");
    }
    m_captureMenu->addSeparator();
    auto* toEditor = m_captureMenu->addAction("Send Capture File to VXEditor",
                                              [this] { m_capture.ViewCaptureFile(true, m_capture.dumpCount()); });
    toEditor->setObjectName("mnuCaptureToVXE");
    m_captureMenu->addSeparator();
    QMenu* zoom = m_captureMenu->addMenu("&Zoom");
    zoom->setObjectName("mnuZoom");
    auto* zooms = new QActionGroup(zoom);
    for (int step : {1, 2, 3, 4, ScreenWidget::kFit}) {
        QAction* entry = zoom->addAction(
            step == ScreenWidget::kFit ? QString("&Fit the Screen") : QString("&%1x").arg(step), [this, step] {
                if (m_actions.zoom) m_actions.zoom(step);
            });
        entry->setObjectName(step == ScreenWidget::kFit ? QString("mnuZoomFit") : QString("mnuZoom%1").arg(step));
        entry->setCheckable(true);
        zooms->addAction(entry);
        m_zoomEntries.push_back(entry);
    }
    zoom->addSeparator();
    zoom->addAction("Full Screen\tF11",
                    [this] {
                        if (m_actions.toggleFullScreen) m_actions.toggleFullScreen();
                    })
        ->setObjectName("mnuFullScreen");
    m_captureMenu->addSeparator();
    m_detectUrls = m_captureMenu->addAction("Detect URLs", [this] {
        if (m_actions.toggleUrlDetection) m_actions.toggleUrlDetection();
    });
    m_detectUrls->setObjectName("mnuDetectURLs");
    m_detectUrls->setCheckable(true);
    m_echo = m_captureMenu->addAction("Echo Box to VXEditor", [this] {
        if (m_actions.toggleEcho) m_actions.toggleEcho();
    });
    m_echo->setObjectName("mnuEchoBox");
    m_echo->setCheckable(true);
    refreshCapture();
}

void ScreenWindow::refreshCapture() {
    m_captureOn->setChecked(m_capture.captureOn());
    m_captureOn->setText(qtText(m_capture.captureCaption()));
    m_filename->setText(qtText(m_capture.filenameCaption()));
    m_mode->setText(qtText(m_capture.modeCaption()));
    m_delete->setEnabled(m_capture.deleteEnabled());
    m_captureBar->setVisible(m_capture.captureOn() && m_capture.captureBarVisible());
    m_captureBar->setGeometry(width() - 14, 4, 10, 10);
}

void ScreenWindow::setUrlDetectionChecked(bool on) { m_detectUrls->setChecked(on); }

void ScreenWindow::setEchoChecked(bool on) { m_echo->setChecked(on); }

void ScreenWindow::setColumns(int columns, int availableWidth) { layOut(columns, {availableWidth, 0}); }

void ScreenWindow::layOut(int columns, QSize bounds) {
    m_screen->setBounds(bounds);
    m_screen->setColumns(columns);
    m_screen->setFixedSize(m_screen->sizeHint());
    if (m_fullScreen) {
        // The screen is sized for the monitor already: asking the frame to grow to it first would
        // race the window manager's own resize to full screen (openbox then drops the request).
        setMinimumSize(1, 1);
        setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        setMinimumHeight(0);
        const int wanted = std::max(columns == 80 ? kWidth80 : kWidth40, m_screen->width());
        setFixedWidth(bounds.width() > 0 ? std::min(wanted, bounds.width()) : wanted);
    }
    placeMarkers();
}

void ScreenWindow::setFullScreen(bool on) {
    m_fullScreen = on;
    // The screen in the middle of the monitor, the rest black; outside full screen, at the top.
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->setContentsMargins(0, on ? 0 : 4, 0, on ? 0 : 4);
    box->setAlignment(m_screen, on ? Qt::AlignCenter : Qt::AlignHCenter | Qt::AlignTop);
    m_screen->setMouseTracking(on);
    if (!on) m_screen->unsetCursor();
}

void ScreenWindow::setZoomChecked(int zoom) {
    for (QAction* entry : m_zoomEntries)
        entry->setChecked(entry->objectName() ==
                          (zoom == ScreenWidget::kFit ? QString("mnuZoomFit") : QString("mnuZoom%1").arg(zoom)));
}

void ScreenWindow::placeMarkers() {
    m_captureBar->move(width() - 14, 4);
    m_historyMarker->adjustSize();
    const QRect screen = m_screen->geometry();
    m_historyMarker->move(screen.right() - m_historyMarker->width() - 8, screen.top() + 8);
}

void ScreenWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeMarkers();
}

void ScreenWindow::surfaceChanged() { m_screen->surfaceChanged(); }

void ScreenWindow::hideStartupPicture() { m_pictureShown = false; }

bool ScreenWindow::startupPictureShown() const { return m_pictureShown; }

bool ScreenWindow::handleKey(QKeyEvent* event) {
    // Ctrl+Shift+V and Ctrl+Shift+C paste and copy as in every other terminal; Ctrl with a
    // letter alone stays the letter's control code for the board.
    if (event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) {
        const auto& action = event->key() == Qt::Key_V   ? m_actions.pasteScreen
                             : event->key() == Qt::Key_C ? m_actions.copyScreenText
                                                         : m_noAction;
        if (action) {
            action();
            return true;
        }
    }
    if (zoomKey(event)) return true;
    if (historyKey(event)) return true;
    // In full screen the pointer stays out of the way of what is typed, until the mouse moves.
    if (m_fullScreen) m_screen->setCursor(Qt::BlankCursor);
    const ScreenKey key = readScreenKey(*event);
    bool handled = key.special && m_keys.specialKey(*key.special, key.shift, key.ctrl, key.alt);
    if (!handled && key.character) {
        m_keys.characterKey(static_cast<std::uint8_t>(*key.character));
        handled = true;
    }
    if (handled && m_actions.keyHandled) m_actions.keyHandled();
    return handled;
}

void ScreenWindow::setHistoryView(HistoryView* view, std::function<int()> columns) {
    m_history = view;
    m_historyColumns = std::move(columns);
}

void ScreenWindow::scrollHistory(int lines) {
    if (!m_history) return;
    const bool back = m_history->scroll(lines, m_historyColumns ? m_historyColumns() : 40);
    m_screen->showPage(back ? &m_history->page() : nullptr);
    showHistoryMarker();
}

void ScreenWindow::showHistoryMarker() {
    const bool back = m_history && m_history->active() && m_history->linesBack() > 0;
    if (back) {
        m_historyMarker->setText(QString("History: %1 lines back").arg(m_history->linesBack()));
        placeMarkers();
        m_historyMarker->raise();
    }
    m_historyMarker->setVisible(back);
}

void ScreenWindow::leaveHistory() {
    if (!m_history || !m_history->active()) return;
    m_history->leave();
    m_screen->showPage(nullptr);
    showHistoryMarker();
}

bool ScreenWindow::zoomKey(QKeyEvent* event) {
    // Ctrl with =, - and 0 type nothing the board could not get without Ctrl (the Atari's
    // cursor keys are the arrow keys here), so they are free for the zoom.
    if ((event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) != Qt::ControlModifier) return false;
    // Shift+Ctrl on a digit key is a macro whatever symbol the layout gives it (= on a German 0).
    if ((event->modifiers() & Qt::ShiftModifier) && digitKeyOf(*event)) return false;
    static constexpr int kSteps[] = {1, 2, 3, 4, ScreenWidget::kFit};
    const int* now = std::find(std::begin(kSteps), std::end(kSteps), m_screen->zoom());
    int wanted = 0;
    switch (event->key()) {
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            wanted = now + 1 < std::end(kSteps) ? *(now + 1) : *now;
            break;
        case Qt::Key_Minus:
            wanted = now > std::begin(kSteps) ? *(now - 1) : *now;
            break;
        case Qt::Key_0:
            wanted = 2;
            break;
        default:
            return false;
    }
    if (m_actions.zoom) m_actions.zoom(wanted);
    return true;
}

bool ScreenWindow::historyKey(QKeyEvent* event) {
    const bool page = event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
    if (page && event->modifiers() == Qt::ShiftModifier) {
        scrollHistory(event->key() == Qt::Key_PageUp ? kPageLines : -kPageLines);
        return true;
    }
    // Any other key goes back to the live screen, and then does what it always does.
    const int key = event->key();
    if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt && key != Qt::Key_Meta) leaveHistory();
    return false;
}

void ScreenWindow::wheel(QWheelEvent* event) {
    // A notch (120) is three rows; touchpads send smaller steps, which add up.
    m_wheelRest += event->angleDelta().y();
    const int lines = m_wheelRest / 40;
    m_wheelRest -= lines * 40;
    if (lines != 0) scrollHistory(lines);
}

void ScreenWindow::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(event)) QWidget::keyPressEvent(event);
}

void ScreenWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        m_captureMenu->popup(event->globalPosition().toPoint());
        return;
    }
    m_screen->setFocus();
    QWidget::mousePressEvent(event);
}

bool ScreenWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_screen) {
        switch (event->type()) {
            case QEvent::FocusIn:
                m_focusMarker->show();
                m_focusMarker->raise();
                break;
            case QEvent::FocusOut:
                m_focusMarker->hide();
                break;
            case QEvent::KeyPress:
                if (handleKey(static_cast<QKeyEvent*>(event))) return true;
                break;
            case QEvent::MouseMove:
                m_screen->unsetCursor();
                break;
            case QEvent::Wheel:
                wheel(static_cast<QWheelEvent*>(event));
                return true;
            case QEvent::MouseButtonPress:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
                    m_captureMenu->popup(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vx
