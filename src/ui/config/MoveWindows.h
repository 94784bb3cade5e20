#pragma once

#include <QDialog>
#include <functional>

namespace vx {

// The window-position window (frmMoveWindows): the user arranges the windows, then OK keeps
// their places for the next start. Cancel keeps nothing.
class MoveWindows : public QDialog {
    Q_OBJECT
public:
    explicit MoveWindows(std::function<void()> savePositions, QWidget* parent = nullptr);

private:
    std::function<void()> m_save;
};

}  // namespace vx
