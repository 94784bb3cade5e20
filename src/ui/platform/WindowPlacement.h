#pragma once

class QWidget;

namespace vx {

// Moves a top-level window (and shrinks it if it must) so that the whole of it, frame included,
// lies on the available area of the screen it is on. Windows restored from saved places or
// placed beside another window can otherwise open half off the screen.
void keepOnScreen(QWidget& window);

// Centres a top-level window on the available area of its screen, then keeps it on it.
void centreOnScreen(QWidget& window);

}  // namespace vx
