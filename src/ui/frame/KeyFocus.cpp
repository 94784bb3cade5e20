#include "ui/frame/KeyFocus.h"

#include <QApplication>
#include <QInputEvent>
#include <QWidget>
#include <array>

#include "ui/frame/MainFrame.h"
#include "ui/platform/WindowActivation.h"

namespace vx {
namespace {

using M = KeyFocus::Moment;
using T = KeyFocus::Target;

constexpr std::array<KeyFocus::Rule, 12> kRules{{
    {M::FrameButton, T::Screen, "the key acts on the call or the screen: the next key is for the board"},
    {M::SentFromWindow, T::Screen, "what was sent asks for an answer typed at the board"},
    {M::ToolWindowDone, T::Screen, "the tool window's work is done; the board comes next"},
    {M::EditorClosed, T::Screen, "the list is put away; the board comes next"},
    {M::CallComingUp, T::Screen, "a login typed at the board's first prompt reaches the board"},
    {M::CallEnded, T::Unchanged, "the user may be writing elsewhere; nothing is taken away"},
    {M::StartedWithBoard, T::Screen, "the board's login prompt gets the keys, the list only stands beside"},
    {M::Summoned, T::Screen, "the user called the program from elsewhere: it comes to the front with the keys"},
    {M::BoxEntered, T::Box, "the user asked to write in The Box"},
    {M::BoxLeft, T::Screen, "The Box gives the keys back to the board"},
    {M::WindowAsked, T::ThatWindow, "the user asked for the window to use it"},
    {M::WindowBeside, T::Unchanged, "a window the program opens stands beside; the keys stay"},
}};

// How long the window manager gets to move the focus before it is asked again as for a user's
// click, and how often.
constexpr int kCheckMs = 150;
constexpr int kChecks = 8;
// When the window with the keys closes, for a moment none of the program's windows is active
// (until the window manager has given the keys to another): that is no sign of another program.
constexpr int kJustClosedMs = 500;

bool isUserInput(const QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::span<const KeyFocus::Rule> KeyFocus::rules() { return kRules; }

const KeyFocus::Rule& KeyFocus::rule(Moment moment) {
    for (const Rule& row : kRules)
        if (row.moment == moment) return row;
    return kRules.front();
}

KeyFocus::KeyFocus(MainFrame& frame, Places places) : m_frame(frame), m_places(std::move(places)) {
    m_check.setInterval(kCheckMs);
    connect(&m_check, &QTimer::timeout, this, [this] { checkActivation(); });
    qApp->installEventFilter(this);
}

KeyFocus::~KeyFocus() {
    if (qApp) qApp->removeEventFilter(this);
}

void KeyFocus::after(Moment moment, QWidget* window) {
    switch (rule(moment).target) {
        case Target::Screen:
            toScreen(moment == Moment::Summoned);
            break;
        case Target::Box:
            toBox();
            break;
        case Target::ThatWindow:
            if (window) toWindow(*window, nullptr);
            break;
        case Target::Unchanged:
            if (window && moment == Moment::WindowBeside) keepKeysWithFrame(*window);
            break;
    }
}

QWidget* KeyFocus::dialogParent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    QWidget* active = QApplication::activeWindow();
    if (!m_target.isNull()) active = m_target;  // the window the keys are on their way to
    if (active && active->isVisible() && !(active->windowType() == Qt::Popup)) return active;
    return &m_frame;
}

bool KeyFocus::answerPending() const {
    return QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr;
}

void KeyFocus::toScreen(bool evenFromOtherPrograms) {
    QWidget* screen = m_places.screen();
    if (!screen || answerPending()) return;
    screen->setFocus();
    // Keys are not taken from another program unless the user asked there for this one: with
    // none of ours active, the screen only becomes the frame's focus for when the user comes back.
    // (A window of ours with the keys that just closed leaves none active for a moment.)
    const bool oursJustClosed = m_sinceClosed.isValid() && m_sinceClosed.elapsed() < kJustClosedMs;
    if (!evenFromOtherPrograms && !QApplication::activeWindow() && m_target.isNull() && !oursJustClosed) return;
    activate(m_frame, screen);
}

void KeyFocus::toBox() {
    QWidget* box = m_places.box();
    if (!box || answerPending()) return;
    box->setFocus();
    activate(m_frame, box);
}

void KeyFocus::toWindow(QWidget& window, QWidget* focus) { activate(window, focus); }

void KeyFocus::keepKeysWithFrame(QWidget& shown) {
    // Some platforms activate every window mapped, whatever it asks for: the window that was to
    // have the keys asks for them again once the new one is up.
    if (answerPending() || m_holder == &shown) return;
    QWidget* holder = m_holder ? m_holder.data() : &m_frame;
    if (!holder->isVisible()) holder = &m_frame;
    activate(*holder, m_holderFocus ? m_holderFocus.data() : holder->focusWidget());
}

void KeyFocus::activate(QWidget& window, QWidget* focus) {
    m_target = m_holder = &window;
    m_targetFocus = m_holderFocus = focus;
    // Asked even when it seems active already: an activation of another window may be on its way.
    window.activateWindow();
    m_checks = 0;
    m_check.start();
}

void KeyFocus::checkActivation() {
    if (m_target.isNull() || QApplication::activeWindow() == m_target) {
        handOverDone();
        return;
    }
    if (++m_checks > kChecks) {
        handOverDone();  // the window manager will not; the keys stay where they are
        return;
    }
    // Asked once as the program, the window manager did not move the focus: ask as for a click.
    if (m_checks == 1 && !askActivationAsUser(*m_target, m_lastInputTime)) m_target->activateWindow();
}

void KeyFocus::handOverDone() {
    m_check.stop();
    if (m_target && m_targetFocus && QApplication::activeWindow() == m_target) m_targetFocus->setFocus();
    m_target.clear();
    m_targetFocus.clear();
}

bool KeyFocus::eventFilter(QObject* watched, QEvent* event) {
    if (isUserInput(event)) {
        const auto time = static_cast<const QInputEvent*>(event)->timestamp();
        if (time) m_lastInputTime = time;
    }
    if (event->type() == QEvent::Hide && watched->isWidgetType() &&
        (watched == QApplication::activeWindow() || watched == m_holder))
        m_sinceClosed.start();
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        if (window == m_target) {
            // Handled after the activation itself has run, so the focus widget is set within it.
            QTimer::singleShot(0, this, [this] { checkActivation(); });
            return false;
        }
        // A window the user went to (no hand-over of ours is under way) has the keys from now on.
        if (m_target.isNull() && window->isWindow() && !window->isModal() && window->windowType() != Qt::Popup &&
            window != m_holder) {
            m_holder = window;
            m_holderFocus.clear();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vx
