#include "ui/tools/ScreenPrint.h"

#include <QPainter>
#include <QPrinter>
#include <cstring>

#include "screen/MonoImage.h"
#include "screen/ScreenColours.h"

namespace vx {

QImage printableScreen(const Framebuffer& surface, int columns, const ScreenColours* asShown) {
    const MonoImage picture = captureScreen(surface, columns);
    QImage image(picture.width, picture.height, QImage::Format_Mono);
    // Screen pixels that are lit (1) print black; the dark screen becomes the paper.
    if (asShown)
        image.setColorTable({0xFF000000 | asShown->paper, 0xFF000000 | asShown->ink});
    else
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.bits.data() + static_cast<std::size_t>(y * picture.stride()),
                    static_cast<std::size_t>(picture.stride()));
    return image;
}

bool printScreen(const Framebuffer& surface, int columns, QPrinter& printer, const ScreenColours* asShown) {
    const QImage image = printableScreen(surface, columns, asShown);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(page.topLeft(), size), image);
    return painter.end();
}

}  // namespace vx
