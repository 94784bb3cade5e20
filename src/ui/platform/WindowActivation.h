#pragma once

class QWidget;

namespace vx {

// Asks the window manager to activate `window` as a pager or task bar does for a user's click
// (the EWMH request with the "user" source and the time of the user's last input), which a window
// manager grants where it may refuse an application's own request. False where the platform has
// no such request (no X11).
bool askActivationAsUser(QWidget& window, unsigned long userTime);

}  // namespace vx
