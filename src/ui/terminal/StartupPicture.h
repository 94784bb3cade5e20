#pragma once

#include <QWidget>

namespace vx {

// The program's picture: a monitor showing its name. It stands on the screen from start-up until
// the first clear, and on the welcome window.
class StartupPicture : public QWidget {
public:
    explicit StartupPicture(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vx
