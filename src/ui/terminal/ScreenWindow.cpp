#include "ui/terminal/ScreenWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>

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

void ScreenWindow::setColumns(int columns, int availableWidth) {
    m_screen->setAvailableWidth(availableWidth);
    m_screen->setColumns(columns);
    m_screen->setFixedSize(m_screen->sizeHint());
    const int wanted = std::max(columns == 80 ? kWidth80 : kWidth40, m_screen->width());
    setFixedWidth(availableWidth > 0 ? std::min(wanted, availableWidth) : wanted);
    m_captureBar->move(width() - 14, 4);
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
    if (historyKey(event)) return true;
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
}

void ScreenWindow::leaveHistory() {
    if (!m_history || !m_history->active()) return;
    m_history->leave();
    m_screen->showPage(nullptr);
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
