#include "ui/terminal/ScreenWidget.h"

#include <QPaintEvent>
#include <QPainter>

namespace vx {
namespace {
constexpr int kFrameMs = 16;
}

ScreenWidget::ScreenWidget(Framebuffer& surface, QWidget* parent)
    : QWidget(parent),
      m_surface(surface),
      m_image(surface.data(), Framebuffer::kWidth, Framebuffer::kHeight, Framebuffer::kStride, QImage::Format_Mono) {
    m_image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_frameTimer.setSingleShot(true);
    m_frameTimer.setInterval(kFrameMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &ScreenWidget::flushDirty);
}

void ScreenWidget::setColumns(int columns) {
    m_columns = columns;
    updateGeometry();
    update();
}

QSize ScreenWidget::sizeHint() const { return {m_columns * Framebuffer::kCellSize, Framebuffer::kHeight}; }

void ScreenWidget::surfaceChanged() {
    if (!m_frameTimer.isActive()) m_frameTimer.start();
}

void ScreenWidget::flushDirty() {
    const CellRect cells = m_surface.takeDirty();
    if (!cells.isEmpty()) update(cellsToWidget(cells));
}

QRect ScreenWidget::cellsToWidget(const CellRect& cells) const {
    constexpr int size = Framebuffer::kCellSize;
    return {cells.col * size, cells.row * size, cells.cols * size, cells.rows * size};
}

void ScreenWidget::paintEvent(QPaintEvent* event) {
    m_surface.settle();  // the image wraps the raw bits: a held-back cursor inversion must be in them
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, Qt::black);
    constexpr int size = Framebuffer::kCellSize;
    const int width = m_columns * size;
    const int firstRow = std::max(0, area.top() / size);
    const int lastRow = std::min(Framebuffer::kRows - 1, area.bottom() / size);
    for (int row = firstRow; row <= lastRow; ++row) {
        const QRect source(0, m_surface.blockOf(row) * size, width, size);
        painter.drawImage(QRect(0, row * size, width, size), m_image, source);
    }
}

}  // namespace vx
