#include "ui/terminal/StartupPicture.h"

#include <QImage>
#include <QPainter>
#include <vector>

#include "screen/Framebuffer.h"

namespace vx {

// The start-up picture: a monitor showing the program's name, drawn over the black screen until
// the board (or the user) clears it.
StartupPicture::StartupPicture(QWidget* parent) : QWidget(parent) {
    setObjectName("StartupPicture");
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void StartupPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
}

void StartupPicture::paintInto(Framebuffer& surface, int x, int y) {
    // Drawn without smoothing and cut at mid-grey: light parts (cabinet, letters) white, dark
    // parts (bezel, glass) black, as on a two-colour screen.
    QImage colour(kWidth, kHeight, QImage::Format_RGB32);
    colour.fill(Qt::black);
    {
        QPainter p(&colour);
        draw(p);
    }
    const int stride = (kWidth + 7) / 8;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * kHeight, 0);
    for (int row = 0; row < kHeight; ++row)
        for (int col = 0; col < kWidth; ++col)
            if (qGray(colour.pixel(col, row)) >= 128)
                bits[static_cast<std::size_t>(row * stride + col / 8)] |= static_cast<std::uint8_t>(0x80u >> (col % 8));
    surface.paintPicture(bits, kWidth, kHeight, x, y);
}

void StartupPicture::draw(QPainter& p) {
    const QColor beige(196, 184, 150), shade(120, 110, 88), glass(20, 40, 90);
    // Cabinet, bezel and glass.
    p.setPen(QPen(shade, 3));
    p.setBrush(beige);
    p.drawRoundedRect(QRectF(10, 6, 400, 262), 18, 18);
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(34, 26, 352, 214), 10, 10);
    p.setBrush(glass);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(46, 36, 328, 194), 8, 8);
    // Stand.
    p.setBrush(beige);
    p.setPen(QPen(shade, 3));
    p.drawRect(QRectF(170, 268, 80, 30));
    p.drawRoundedRect(QRectF(100, 298, 220, 28), 6, 6);
    // The name, in the blocky letters of the screen, with a cursor after it.
    QFont font("Monospace");
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(true);
    font.setPixelSize(44);
    p.setFont(font);
    p.setPen(QColor(140, 200, 255));
    p.drawText(QRectF(46, 70, 328, 70), Qt::AlignCenter, "VEXTERM");
    font.setPixelSize(16);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRectF(46, 140, 328, 30), Qt::AlignCenter, "ATASCII BBS TERMINAL");
    p.fillRect(QRectF(196, 186, 16, 16), QColor(140, 200, 255));
    p.setPen(QColor(255, 200, 80));
    p.setBrush(QColor(255, 200, 80));
    p.drawEllipse(QRectF(370, 250, 10, 10));
}

}  // namespace vx
