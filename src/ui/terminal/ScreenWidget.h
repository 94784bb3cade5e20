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
    // The widest the screen may be, in logical pixels (0: no limit); it shrinks to fit.
    void setAvailableWidth(int width);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Logical pixels per surface pixel. Each surface pixel covers a whole number of device pixels,
    // so glyph edges stay sharp at any display scale, and the screen is never smaller than its
    // logical size (at 125 % a surface pixel is two device pixels). Only when even one device
    // pixel each does not fit the available width is the screen scaled down to fit.
    double pixelScale() const;

    // The surface is looked at once per frame anyway; this only makes sure the look is scheduled.
    void surfaceChanged();
    // Shows another surface of the same shape (a page of the history) instead of the live one;
    // nullptr shows the live surface again. The live surface goes on changing meanwhile.
    void showPage(const Framebuffer* page);
    bool showingPage() const { return m_shown != &m_surface; }

signals:
    // The first time the screen reached the display.
    void firstPainted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void flushDirty();
    QRect cellsToWidget(const CellRect& cells) const;

    // Draws one text row of the shown surface (its block in the row map) into m_rowPixels.
    void expandRow(int block, int width);

    Framebuffer& m_surface;
    const Framebuffer* m_shown = &m_surface;
    QImage m_rowPixels;  // one text row, 32-bit, reused by every paint
    QTimer m_frameTimer;
    int m_columns = 40;
    int m_availableWidth = 0;
    bool m_painted = false;
};

}  // namespace vx
