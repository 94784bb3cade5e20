#pragma once

#include <QImage>

class QPrinter;

namespace vx {

class Framebuffer;

struct ScreenColours;

// The screen as it goes on paper: the characters dark on light paper, one image pixel per
// screen pixel; or, given the colours the screen is shown in, as shown.
QImage printableScreen(const Framebuffer& surface, int columns, const ScreenColours* asShown = nullptr);

// Prints the screen on one page, as large as the page allows with its proportions kept. False
// when the printer could not be started.
bool printScreen(const Framebuffer& surface, int columns, QPrinter& printer, const ScreenColours* asShown = nullptr);

}  // namespace vx
