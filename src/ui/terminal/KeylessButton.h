#pragma once

#include <QPushButton>

namespace vx {

// A button of the terminal window. It never takes the keyboard focus: a click leaves the keys
// where they were, on the screen or in The Box, so nothing typed next goes astray.
inline QPushButton* keylessButton(QWidget* parent, const char* name, const QString& text, const QString& tip = {}) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    if (!tip.isEmpty()) button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace vx
