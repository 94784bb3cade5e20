#include "ui/terminal/ScreenWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vx {
namespace {
constexpr int kFrameMs = 16;
constexpr int kRowDots = Framebuffer::kCellSize / 2;   // Atari pixels a text row is high
constexpr int kScreenDots = Framebuffer::kHeight / 2;  // and the screen

int dotsWide(int columns) { return columns * Framebuffer::kCellSize / 2; }

}  // namespace

ScreenWidget::ScreenWidget(Framebuffer& surface, QWidget* parent) : QWidget(parent), m_surface(surface) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // Everything that draws (received data, the baud-rate drain, replays, keys typed offline)
    // writes the surface; one look per display frame catches all of it, however fast it comes.
    m_frameTimer.setInterval(kFrameMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &ScreenWidget::flushDirty);
    m_frameTimer.start();
}

int ScreenWidget::dotPixels() const {
    const double ratio = devicePixelRatioF();
    const int wide = dotsWide(m_columns);
    const auto fits = [&](int n) {
        return (m_bounds.width() <= 0 || wide * n / ratio <= m_bounds.width() + 0.01) &&
               (m_bounds.height() <= 0 || kScreenDots * n / ratio <= m_bounds.height() + 0.01);
    };
    int n = 0;
    if (m_zoom == kFit && (m_bounds.width() > 0 || m_bounds.height() > 0)) {
        const double across = m_bounds.width() > 0 ? (m_bounds.width() + 0.01) * ratio / wide : 1e9;
        const double down = m_bounds.height() > 0 ? (m_bounds.height() + 0.01) * ratio / kScreenDots : 1e9;
        n = static_cast<int>(std::floor(std::min(across, down)));
    } else {
        const int zoom = m_zoom == kFit ? 2 : m_zoom;
        n = std::max(1, static_cast<int>(std::ceil(zoom * ratio - 0.01)));
        while (n > 1 && !fits(n)) --n;
    }
    return n >= 1 && fits(n) ? n : 0;
}

double ScreenWidget::pixelScale() const {
    if (const int n = dotPixels(); n > 0) return n / (2 * devicePixelRatioF());
    const int wide = m_columns * Framebuffer::kCellSize;
    double scale = m_bounds.width() > 0 ? static_cast<double>(m_bounds.width()) / wide : 1e9;
    if (m_bounds.height() > 0) scale = std::min(scale, static_cast<double>(m_bounds.height()) / Framebuffer::kHeight);
    return scale;
}

void ScreenWidget::setBounds(QSize bounds) {
    m_bounds = bounds;
    updateGeometry();
    update();
}

void ScreenWidget::setZoom(int zoom) {
    m_zoom = std::clamp(zoom, kFit, kMaxZoom);
    updateGeometry();
    update();
}

void ScreenWidget::setColumns(int columns) {
    m_columns = columns;
    updateGeometry();
    update();
}

void ScreenWidget::setColours(QRgb ink, QRgb paper) {
    m_ink = ink;
    m_paper = paper;
    m_tableDots = 0;
    update();
}

QSize ScreenWidget::sizeHint() const {
    const double scale = pixelScale();
    return {static_cast<int>(std::ceil(m_columns * Framebuffer::kCellSize * scale - 0.001)),
            static_cast<int>(std::ceil(Framebuffer::kHeight * scale - 0.001))};
}

QSize ScreenWidget::minimumSizeHint() const { return sizeHint(); }

void ScreenWidget::buildByteTable(int dotPixels) {
    // A byte holds eight surface pixels, four Atari pixels. With an even count each surface
    // pixel gets half the device pixels, so pictures drawn at surface pixels keep every pixel;
    // with an odd count the first of each pair stands for the Atari pixel (glyphs are drawn in
    // pairs, so nothing of them is lost).
    const int perByte = 4 * dotPixels;
    m_byteTable.assign(static_cast<std::size_t>(256 * perByte), m_paper);
    for (int byte = 0; byte < 256; ++byte) {
        QRgb* out = m_byteTable.data() + byte * perByte;
        for (int x = 0; x < perByte; ++x) {
            const int bit = dotPixels % 2 == 0 ? x / (dotPixels / 2) : 2 * (x / dotPixels);
            out[x] = (byte & (0x80 >> bit)) != 0 ? m_ink : m_paper;
        }
    }
    m_tableDots = dotPixels;
}

void ScreenWidget::expandRow(int block, int bytes, int dotPixels) {
    if (m_tableDots != dotPixels) buildByteTable(dotPixels);
    const int perByte = 4 * dotPixels;
    const int height = kRowDots * dotPixels;
    if (m_rowPixels.width() < Framebuffer::kStride * perByte || m_rowPixels.height() < height)
        m_rowPixels = QImage(Framebuffer::kStride * perByte, height, QImage::Format_RGB32);
    const std::size_t lineBytes = static_cast<std::size_t>(bytes * perByte) * sizeof(QRgb);
    int drawnLine = -1;
    for (int y = 0; y < height; ++y) {
        const int line = dotPixels % 2 == 0 ? y / (dotPixels / 2) : 2 * (y / dotPixels);
        auto* pixels = reinterpret_cast<QRgb*>(m_rowPixels.scanLine(y));
        if (line == drawnLine) {
            std::memcpy(pixels, m_rowPixels.constScanLine(y - 1), lineBytes);
            continue;
        }
        drawnLine = line;
        const std::uint8_t* bits = m_shown->data() + (block * Framebuffer::kCellSize + line) * Framebuffer::kStride;
        for (int byte = 0; byte < bytes; ++byte)
            std::memcpy(pixels + byte * perByte, m_byteTable.data() + bits[byte] * perByte,
                        static_cast<std::size_t>(perByte) * sizeof(QRgb));
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
    m_shown->settle();  // the rows are read raw: a held-back cursor inversion must be in them
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(m_paper));
    const int sharp = dotPixels();
    const int dots = std::max(1, sharp);
    // Logical height of a text row: whole device pixels, or the scaled-down size.
    const double rowHeight = Framebuffer::kCellSize * pixelScale();
    const int bytes = m_columns * Framebuffer::kCellSize / 8;
    const int firstRow = std::max(0, static_cast<int>(event->rect().top() / rowHeight));
    const int lastRow = std::min(Framebuffer::kRows - 1, static_cast<int>(event->rect().bottom() / rowHeight));
    const QRect source(0, 0, bytes * 4 * dots, kRowDots * dots);
    for (int row = firstRow; row <= lastRow; ++row) {
        expandRow(m_shown->blockOf(row), bytes, dots);
        if (sharp > 0) {
            // One image pixel is one device pixel: no scaling, no smoothing.
            m_rowPixels.setDevicePixelRatio(devicePixelRatioF());
            painter.drawImage(QPointF(0, row * rowHeight), m_rowPixels, source);
        } else {
            m_rowPixels.setDevicePixelRatio(1);
            painter.drawImage(QRectF(0, row * rowHeight, bytes * 8 * pixelScale(), rowHeight), m_rowPixels, source);
        }
    }
    if (!m_painted) {
        m_painted = true;
        emit firstPainted();
    }
}

}  // namespace vx
