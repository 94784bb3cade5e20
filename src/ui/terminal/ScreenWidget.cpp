#include "ui/terminal/ScreenWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vx {
namespace {
constexpr int kFrameMs = 16;

// The eight pixels of each byte of the 1-bit surface (the leftmost in the high bit, set = white).
// Expanding a row through this table is many times quicker than letting the painter convert the
// 1-bit picture, which kept a flood's repaints near a whole display frame.
using EightPixels = std::array<QRgb, 8>;
const std::array<EightPixels, 256>& pixelTable() {
    static const std::array<EightPixels, 256> table = [] {
        std::array<EightPixels, 256> t{};
        for (int byte = 0; byte < 256; ++byte)
            for (int bit = 0; bit < 8; ++bit) t[byte][bit] = (byte & (0x80 >> bit)) != 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        return t;
    }();
    return table;
}

}  // namespace

ScreenWidget::ScreenWidget(Framebuffer& surface, QWidget* parent)
    : QWidget(parent), m_surface(surface), m_rowPixels(Framebuffer::kWidth, Framebuffer::kCellSize, QImage::Format_RGB32) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // Everything that draws (received data, the baud-rate drain, replays, keys typed offline)
    // writes the surface; one look per display frame catches all of it, however fast it comes.
    m_frameTimer.setInterval(kFrameMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &ScreenWidget::flushDirty);
    m_frameTimer.start();
}

double ScreenWidget::pixelScale() const {
    const double ratio = devicePixelRatioF();
    const int width = m_columns * Framebuffer::kCellSize;
    int devicePixels = std::max(1, static_cast<int>(std::ceil(ratio - 0.01)));
    const auto fits = [&](int n) { return m_availableWidth <= 0 || width * n / ratio <= m_availableWidth + 0.01; };
    while (devicePixels > 1 && !fits(devicePixels)) --devicePixels;
    if (!fits(devicePixels)) return static_cast<double>(m_availableWidth) / width;
    return devicePixels / ratio;
}

void ScreenWidget::setAvailableWidth(int width) {
    m_availableWidth = width;
    updateGeometry();
    update();
}

void ScreenWidget::setColumns(int columns) {
    m_columns = columns;
    updateGeometry();
    update();
}

QSize ScreenWidget::sizeHint() const {
    const double scale = pixelScale();
    return {static_cast<int>(std::ceil(m_columns * Framebuffer::kCellSize * scale)),
            static_cast<int>(std::ceil(Framebuffer::kHeight * scale))};
}

QSize ScreenWidget::minimumSizeHint() const { return sizeHint(); }

void ScreenWidget::expandRow(int block, int width) {
    const auto& table = pixelTable();
    constexpr int size = Framebuffer::kCellSize;
    for (int line = 0; line < size; ++line) {
        const std::uint8_t* bits = m_shown->data() + (block * size + line) * Framebuffer::kStride;
        auto* pixels = reinterpret_cast<QRgb*>(m_rowPixels.scanLine(line));
        for (int byte = 0; byte < width / 8; ++byte) std::memcpy(pixels + byte * 8, table[bits[byte]].data(), sizeof(EightPixels));
    }
}

void ScreenWidget::showPage(const Framebuffer* page) {
    m_shown = page ? page : &m_surface;
    update();
}

void ScreenWidget::surfaceChanged() {
    if (!m_frameTimer.isActive()) m_frameTimer.start();
}

void ScreenWidget::flushDirty() {
    const CellRect cells = m_surface.takeDirty();
    if (!cells.isEmpty() && !showingPage()) update(cellsToWidget(cells));
}

QRect ScreenWidget::cellsToWidget(const CellRect& cells) const {
    const double size = Framebuffer::kCellSize * pixelScale();
    return QRectF(cells.col * size, cells.row * size, cells.cols * size, cells.rows * size).toAlignedRect();
}

void ScreenWidget::paintEvent(QPaintEvent* event) {
    m_shown->settle();  // the image wraps the raw bits: a held-back cursor inversion must be in them
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    const double scale = pixelScale();
    painter.scale(scale, scale);
    const QRect area = QRectF(event->rect().topLeft() / scale, event->rect().size() / scale).toAlignedRect();
    constexpr int size = Framebuffer::kCellSize;
    const int width = m_columns * size;
    const int firstRow = std::max(0, area.top() / size);
    const int lastRow = std::min(Framebuffer::kRows - 1, area.bottom() / size);
    for (int row = firstRow; row <= lastRow; ++row) {
        expandRow(m_shown->blockOf(row), width);
        painter.drawImage(QRect(0, row * size, width, size), m_rowPixels, QRect(0, 0, width, size));
    }
    if (!m_painted) {
        m_painted = true;
        emit firstPainted();
    }
}

}  // namespace vx
