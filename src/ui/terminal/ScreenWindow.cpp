#include "ui/terminal/ScreenWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "screen/Framebuffer.h"
#include "session/KeyboardInput.h"
#include "tools/Capture.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/StartupPicture.h"

namespace vx {
namespace {

constexpr int kPictureLeft = 125;
constexpr int kPictureTop = 20;
constexpr int kWidth40 = 690;   // 10 350 twips
constexpr int kWidth80 = 1380;  // 20 700 twips

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

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
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->addWidget(m_screen, 0, Qt::AlignHCenter | Qt::AlignTop);

    m_picture = new StartupPicture(m_screen);
    m_picture->move(kPictureLeft, kPictureTop);

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
    m_captureOn = m_captureMenu->addAction("Capture On", [this] { m_capture.toggleCapture(); });
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
    auto* save = m_captureMenu->addAction("Save Screen As .BMP", [this] {
        if (m_actions.saveScreen) m_actions.saveScreen();
    });
    save->setObjectName("mnuSaveBMP");
    auto* log = m_captureMenu->addAction("View System Log", [this] {
        if (m_actions.viewLog) m_actions.viewLog();
    });
    log->setObjectName("mnuViewLog");
    auto* paste = m_captureMenu->addAction("Paste Clipboard to Main Screen", [this] {
        if (m_actions.pasteScreen) m_actions.pasteScreen();
    });
    paste->setObjectName("mnuPasteScreen");
    auto* toEditor = m_captureMenu->addAction("Send Capture File to VXEditor",
                                              [this] { m_capture.ViewCaptureFile(true, m_capture.dumpCount()); });
    toEditor->setObjectName("mnuCaptureToVXE");
    // These windows come with the screen dumps, the log viewer, The Box and the 'Moji editor.
    for (QAction* later : {save, log, paste, toEditor}) later->setEnabled(false);
    refreshCapture();
}

void ScreenWindow::refreshCapture() {
    m_captureOn->setChecked(m_capture.captureOn());
    m_filename->setText(latin1(m_capture.filenameCaption()));
    m_mode->setText(latin1(m_capture.modeCaption()));
    m_delete->setEnabled(m_capture.deleteEnabled());
    m_captureBar->setVisible(m_capture.captureOn() && m_capture.captureBarVisible());
    m_captureBar->setGeometry(width() - 14, 4, 10, 10);
}

void ScreenWindow::setColumns(int columns) {
    m_screen->setColumns(columns);
    setFixedWidth(columns == 80 ? kWidth80 : kWidth40);
    m_captureBar->move(width() - 14, 4);
}

void ScreenWindow::surfaceChanged() { m_screen->surfaceChanged(); }

void ScreenWindow::hideStartupPicture() { m_picture->hide(); }

bool ScreenWindow::startupPictureShown() const { return m_picture->isVisible(); }

bool ScreenWindow::handleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    int code = 0;
    switch (event->key()) {
        case Qt::Key_End:
            code = static_cast<int>(KeyCode::End);
            break;
        case Qt::Key_Left:
            code = static_cast<int>(KeyCode::Left);
            break;
        case Qt::Key_Up:
            code = static_cast<int>(KeyCode::Up);
            break;
        case Qt::Key_Right:
            code = static_cast<int>(KeyCode::Right);
            break;
        case Qt::Key_Down:
            code = static_cast<int>(KeyCode::Down);
            break;
        case Qt::Key_Insert:
            code = static_cast<int>(KeyCode::Insert);
            break;
        case Qt::Key_Delete:
            code = static_cast<int>(KeyCode::Delete);
            break;
        case Qt::Key_T:
            code = static_cast<int>(KeyCode::T);
            break;
        default:
            // Shift+Ctrl+digit arrives with the shifted character; the key says which digit.
            if (event->key() >= Qt::Key_0 && event->key() <= Qt::Key_9)
                code = event->key();
            else if (shift && ctrl && event->nativeVirtualKey() >= '0' && event->nativeVirtualKey() <= '9')
                code = static_cast<int>(event->nativeVirtualKey());
            break;
    }
    if (code != 0 && m_keys.specialKey(code, shift, ctrl, alt)) {
        if (m_actions.keyHandled) m_actions.keyHandled();
        return true;
    }
    int character = -1;
    // Every Ctrl+letter goes to the board as its control code, whatever the platform puts in the
    // event's text; nothing in the program takes these keys for itself.
    if (ctrl && !alt && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        character = event->key() - Qt::Key_A + 1;
    else
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                character = 13;
                break;
            case Qt::Key_Backspace:
                character = 8;
                break;
            case Qt::Key_Escape:
                character = 27;
                break;
            case Qt::Key_Tab:
                character = 9;
                break;
            default: {
                const QByteArray bytes = event->text().toLatin1();
                if (bytes.size() == 1 && !event->text().isEmpty() && event->text()[0].unicode() < 256)
                    character = static_cast<unsigned char>(bytes[0]);
                break;
            }
        }
    if (character < 0) return false;
    m_keys.characterKey(static_cast<std::uint8_t>(character));
    if (m_actions.keyHandled) m_actions.keyHandled();
    return true;
}

void ScreenWindow::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(event)) QWidget::keyPressEvent(event);
}

void ScreenWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        m_captureMenu->popup(event->globalPosition().toPoint());
        return;
    }
    setFocus();
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
