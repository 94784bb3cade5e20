#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "screen/Framebuffer.h"

namespace vx {

// Shows the core's framebuffer. Each Atari pixel (a 2 x 2 block of the surface) is drawn as a
// square of whole device pixels, so glyph edges stay sharp at every zoom and display scale.
// Each cell row is drawn from the block the row map names. Changes are collected from the
// framebuffer's dirty rectangle once per display frame, so a flood of data costs at most one
// repaint per frame, and only of what changed.
class ScreenWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFit = 0;      // zoom: the largest whole step that fits the bounds
    static constexpr int kMaxZoom = 4;  // the largest step asked for by name

    explicit ScreenWidget(Framebuffer& surface, QWidget* parent = nullptr);

    void setColumns(int columns);
    int columns() const { return m_columns; }
    // Logical pixels per Atari pixel (1 to kMaxZoom), or kFit.
    void setZoom(int zoom);
    int zoom() const { return m_zoom; }
    // The largest the screen may be, in logical pixels (0: no limit that way); it shrinks to fit.
    void setBounds(QSize bounds);
    void setAvailableWidth(int width) { setBounds({width, 0}); }
    // Lit pixels in `ink`, the rest in `paper`.
    void setColours(QRgb ink, QRgb paper);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Device pixels per Atari pixel: the zoom times the display's scale, rounded up to whole
    // device pixels (never smaller than asked), then lowered while the screen would not fit the
    // bounds. "Fit" is the largest count that fits. 0 when even one device pixel each does not
    // fit: the screen is then scaled down to the bounds, no longer sharp.
    int dotPixels() const;
    // Logical pixels per surface pixel.
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
    // The device pixels of each surface byte at the current size and colours.
    void buildByteTable(int dotPixels);
    // Draws one text row of the shown surface (its block in the row map) into m_rowPixels, at
    // `dotPixels` device pixels per Atari pixel.
    void expandRow(int block, int bytes, int dotPixels);

    Framebuffer& m_surface;
    const Framebuffer* m_shown = &m_surface;
    QImage m_rowPixels;  // one text row at device pixels, 32-bit, reused by every paint
    std::vector<QRgb> m_byteTable;
    int m_tableDots = 0;
    QRgb m_ink = qRgb(255, 255, 255);
    QRgb m_paper = qRgb(0, 0, 0);
    QTimer m_frameTimer;
    int m_columns = 40;
    int m_zoom = 2;
    QSize m_bounds{0, 0};
    bool m_painted = false;
};

}  // namespace vx
