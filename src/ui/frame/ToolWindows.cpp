#include "ui/frame/ToolWindows.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "config/WindowLayout.h"
#include "ui/frame/KeyFocus.h"
#include "ui/frame/MainFrame.h"
#include "ui/platform/WindowPlacement.h"

namespace vx {
namespace {

constexpr int kFramedWaitMs = 1000;

// Platforms that draw no frames around windows: a window is placed as it is shown.
bool framesWindows() {
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

// The window manager's frame around `window`: how much it adds on each side.
QMargins decoration(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// Waits for a window's first exposure, which comes after the window manager has framed it.
class FramedWatch : public QObject {
public:
    FramedWatch(QWindow* window, std::function<void()> then) : QObject(window), m_then(std::move(then)) {
        window->installEventFilter(this);
        QTimer::singleShot(kFramedWaitMs, this, [this] { fire(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed())
            QTimer::singleShot(0, this, [this] { fire(); });
        return false;
    }

private:
    void fire() {
        if (!m_then) return;
        auto then = std::move(m_then);
        m_then = nullptr;
        deleteLater();
        then();
    }
    std::function<void()> m_then;
};

layout::Side sideOf(ToolWindows::FirstPlace place) {
    return place == ToolWindows::FirstPlace::LeftOfFrame || place == ToolWindows::FirstPlace::LeftOfFrameLow
               ? layout::Side::Left
               : layout::Side::Right;
}

}  // namespace

ToolWindows::ToolWindows(MainFrame& frame, KeyFocus& keys) : m_frame(frame), m_keys(keys) {}

ToolWindows::~ToolWindows() {
    for (Entry& entry : m_entries) delete entry.window.data();
}

void ToolWindows::add(Row row) {
    m_order.push_back(row.tool);
    m_entries.push_back(Entry{std::move(row), nullptr, std::nullopt, false});
}

ToolWindows::Entry& ToolWindows::entry(Tool tool) {
    for (Entry& entry : m_entries)
        if (entry.row.tool == tool) return entry;
    throw std::logic_error("a tool window without a row");
}

bool ToolWindows::keepsItsPlace(Tool tool) const {
    for (const Entry& entry : m_entries)
        if (entry.row.tool == tool) return entry.row.savedAs.has_value();
    return false;
}

QWidget* ToolWindows::find(Tool tool) const {
    for (const Entry& entry : m_entries)
        if (entry.row.tool == tool) return entry.window;
    return nullptr;
}

QWidget& ToolWindows::made(Tool tool) {
    Entry& e = entry(tool);
    if (!e.window) {
        e.window = e.row.make();
        e.framed = false;
        // A window that chose its own size keeps it; the others take what their contents ask for.
        if (!e.window->testAttribute(Qt::WA_Resized)) e.window->adjustSize();
        if (!e.place) e.place = firstPlace(e);
        e.window->move(*e.place);
    }
    return *e.window;
}

QWidget& ToolWindows::show(Tool tool) { return show(tool, entry(tool).row.keys); }

QWidget& ToolWindows::show(Tool tool, Keys keys) {
    Entry& e = entry(tool);
    if (e.row.freshEachTime && e.window) {
        // The old one goes; the new one stands where the user left it.
        if (e.window->isVisible()) e.place = e.window->frameGeometry().topLeft();
        e.window->close();
        e.window->deleteLater();
        e.window = nullptr;
    }
    QWidget& window = made(tool);
    if (e.row.beforeShow) e.row.beforeShow(window);
    const bool coming = !window.isVisible();
    e.keys = keys;
    window.setAttribute(Qt::WA_ShowWithoutActivating, keys == Keys::Leave);
    window.show();
    window.raise();
    if (keys == Keys::Leave) keepQuestionsAbove();
    if (coming)
        whenFramed(window, [this, tool] { settle(entry(tool)); });
    else
        keepOnScreen(window);
    // A window standing beside asks for the keys back once it is up (settle); one asked for takes them.
    if (keys == Keys::Take) m_keys.after(KeyFocus::Moment::WindowAsked, &window);
    return window;
}

// A question already open (a first-run message, say) has the keys: a window that opens beside
// must not cover it.
void ToolWindows::keepQuestionsAbove() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowModality() != Qt::NonModal) window->raise();
}

void ToolWindows::hide(Tool tool) {
    if (QWidget* window = find(tool)) window->hide();
}

void ToolWindows::settle(Entry& e) {
    if (!e.window || !e.window->isVisible()) return;
    e.framed = true;
    // The window manager may have put it elsewhere than asked, or framed it after it was placed.
    if (e.place && e.window->frameGeometry().topLeft() != *e.place) e.window->move(*e.place);
    // A window taller than the room below its place is made lower where it can be (it scrolls),
    // so that it stays where it was put; only then is it moved to stay on the screen.
    if (const QScreen* screen = e.window->screen()) {
        const int room = screen->availableGeometry().bottom() + 1 - e.window->frameGeometry().top() -
                         (e.window->frameGeometry().height() - e.window->height());
        if (room < e.window->height() && room >= e.window->minimumSizeHint().height())
            e.window->resize(e.window->width(), room);
    }
    keepOnScreen(*e.window);
    if (e.keys == Keys::Leave) m_keys.after(KeyFocus::Moment::WindowBeside, e.window);
}

void ToolWindows::placeAgain(Tool tool) {
    Entry& e = entry(tool);
    if (!e.window || !e.window->isVisible()) return;
    e.place = firstPlace(e);

    e.window->move(*e.place);
    keepOnScreen(*e.window);
}

void ToolWindows::whenFramed(QWidget& window, std::function<void()> then) {
    if (!framesWindows() || !window.windowHandle()) {
        then();
        return;
    }
    new FramedWatch(window.windowHandle(), std::move(then));
}

void ToolWindows::placeFrameAt(QPoint topLeft) {
    m_framePlace = topLeft;
    m_frame.move(topLeft);
}

void ToolWindows::showFrame(std::function<void()> then) {
    m_frame.show();
    whenFramed(m_frame, [this, then = std::move(then)] {
        m_frameFramed = true;
        if (m_framePlace && m_frame.frameGeometry().topLeft() != *m_framePlace) m_frame.move(*m_framePlace);
        then();
    });
}

QPoint ToolWindows::firstPlace(const Entry& e) {
    const QRect frame = m_frame.frameGeometry();
    // Not shown yet, the window's frame is taken to be like the main frame's.
    const QMargins around = decoration(m_frame);
    const QSize size = e.window ? e.window->size().grownBy(around) : QSize();
    switch (e.row.firstPlace) {
        case FirstPlace::RightOfFrame:
            return {frame.right() + 1, frame.top()};
        case FirstPlace::LeftOfFrame:
            return {frame.left() - size.width(), frame.top()};
        case FirstPlace::LeftOfFrameLow:
            return {frame.left() - size.width(), frame.bottom() + 1 - size.height()};
        case FirstPlace::RightOfTerminal:
            return {frame.right() + 1, m_frame.geometry().top() + m_frame.terminalTop()};
        case FirstPlace::OverFrame:
            break;
    }
    return frame.center() - QPoint(size.width() / 2, size.height() / 2);
}

std::vector<ToolWindows::Tool> ToolWindows::openBesideFrame(const std::vector<Tool>& wanted,
                                                            std::optional<Tool> withKeys) {
    const QScreen* screen = m_frame.screen() ? m_frame.screen() : QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QRect area = screen->availableGeometry();
    const QRect frame = m_frame.frameGeometry();
    const QMargins around = decoration(m_frame);
    std::vector<layout::Wanted> sizes;
    for (Tool tool : wanted) {
        QWidget& window = made(tool);
        const QSize size = window.size().grownBy(around);
        const int least = window.minimumSizeHint().height() + around.top() + around.bottom();
        sizes.push_back(
            {size.width(), size.height(), std::min(least, size.height()), sideOf(entry(tool).row.firstPlace)});
    }
    const layout::Layout placed = layout::besideTheFrame({area.x(), area.y(), area.width(), area.height()},
                                                         frame.width(), frame.height(), frame.y(), sizes);
    if (placed.frame.x != frame.x() || placed.frame.y != frame.y()) placeFrameAt({placed.frame.x, placed.frame.y});
    std::vector<Tool> shown;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        Entry& e = entry(wanted[i]);
        if (placed.windows[i]) {
            const layout::Rect& r = *placed.windows[i];
            e.place = QPoint(r.x, r.y);
            e.window->move(*e.place);
            if (r.height < sizes[i].height)
                e.window->resize(e.window->width(), r.height - around.top() - around.bottom());
        } else if (wanted[i] != withKeys) {
            continue;
        }
        // The window to be used at once opens even on a screen too small to hold it beside the
        // frame: at its first place, kept on the screen.
        show(wanted[i], wanted[i] == withKeys ? Keys::Take : Keys::Leave);
        shown.push_back(wanted[i]);
    }
    return shown;
}

ToolWindows::Entry* ToolWindows::entryFor(PlacedWindow window) {
    for (Entry& e : m_entries)
        if (e.row.savedAs == window) return &e;
    return nullptr;
}

QPoint ToolWindows::placeOf(PlacedWindow window) {
    if (window == PlacedWindow::MainFrame)
        return m_frameFramed || !m_framePlace ? m_frame.frameGeometry().topLeft() : *m_framePlace;
    Entry* e = entryFor(window);
    if (!e) return {};
    // Where the user left it, open or closed since; a window never shown is where it is to open.
    if (e->window && e->framed) return e->window->frameGeometry().topLeft();
    return e->place ? *e->place : firstPlace(*e);
}

void ToolWindows::setPlaceOf(PlacedWindow window, std::optional<int> x, std::optional<int> y) {
    QPoint place = placeOf(window);
    if (x) place.setX(*x);
    if (y) place.setY(*y);
    if (window == PlacedWindow::MainFrame) {
        placeFrameAt(place);
        return;
    }
    Entry* e = entryFor(window);
    if (!e) return;
    e->place = place;
    if (e->window) e->window->move(place);
}

int ToolWindows::top(PlacedWindow window) { return placeOf(window).y() * MainFrame::kTwipsPerPixel; }
int ToolWindows::left(PlacedWindow window) { return placeOf(window).x() * MainFrame::kTwipsPerPixel; }
void ToolWindows::setTop(PlacedWindow window, int twips) {
    setPlaceOf(window, std::nullopt, twips / MainFrame::kTwipsPerPixel);
}
void ToolWindows::setLeft(PlacedWindow window, int twips) {
    setPlaceOf(window, twips / MainFrame::kTwipsPerPixel, std::nullopt);
}

}  // namespace vx
