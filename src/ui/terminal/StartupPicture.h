#pragma once

#include <QWidget>

class QPainter;

namespace vx {

class Framebuffer;

// The program's picture: a monitor showing its name. It stands on the screen from start-up until
// the first clear, and on the welcome window.
class StartupPicture : public QWidget {
public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 334;

    explicit StartupPicture(QWidget* parent = nullptr);

    // Paints the picture, in colour, into a 420 x 334 area at the painter's origin.
    static void draw(QPainter& painter);
    // Paints it into the screen surface with its top-left at (x, y), in the screen's two colours.
    static void paintInto(Framebuffer& surface, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vx
