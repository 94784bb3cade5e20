#pragma once

#include <QTimer>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

namespace vx {

class Scrollback;

// "Scrollback Buffer Debug": the ring's position before and after the last write, the whole
// ring, and what came in since the position last moved backwards. It follows the ring while
// open, at most a few times a second.
class ScrollbackDebugWindow : public QWidget {
    Q_OBJECT
public:
    explicit ScrollbackDebugWindow(const Scrollback& scrollback, QWidget* parent = nullptr);

    // After a write to the ring.
    void ringWritten();
    void refresh();

private:
    const Scrollback& m_scrollback;
    QTimer m_coalesce;
    QLineEdit* m_before = nullptr;
    QLineEdit* m_after = nullptr;
    QLineEdit* m_size = nullptr;
    QPlainTextEdit* m_ring = nullptr;
    QPlainTextEdit* m_sinceWrap = nullptr;
};

}  // namespace vx
