#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "screen/Framebuffer.h"

namespace vx {

// Shows the core's framebuffer. The QImage wraps the framebuffer's memory (no copy); each
// cell row is drawn from the block the row map names. Changes are collected from the
// framebuffer's dirty rectangle once per display frame, so a flood of data costs at most one
// repaint per frame, and only of what changed.
class ScreenWidget : public QWidget {
    Q_OBJECT
public:
    explicit ScreenWidget(Framebuffer& surface, QWidget* parent = nullptr);

    void setColumns(int columns);
    int columns() const { return m_columns; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Logical pixels per surface pixel: a whole number of device pixels each.
    double pixelScale() const;

    // The surface is looked at once per frame anyway; this only makes sure the look is scheduled.
    void surfaceChanged();

signals:
    // The first time the screen reached the display.
    void firstPainted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void flushDirty();
    QRect cellsToWidget(const CellRect& cells) const;

    Framebuffer& m_surface;
    QImage m_image;
    QTimer m_frameTimer;
    int m_columns = 40;
    bool m_painted = false;
};

}  // namespace vx
