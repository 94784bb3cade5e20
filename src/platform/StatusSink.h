#pragma once

#include <string>

namespace vx {

// The main frame's status bar, by panel key ("pnlSTAT", "pnlBAUDSIM", "pnlSTAYALIVE",
// "pnlCAPTURE", "pnlAPPINFO").
class StatusSink {
public:
    virtual ~StatusSink() = default;
    // Text and tooltip of a panel; with `refresh` the bar is redrawn at once.
    virtual void setPanelText(const std::string& panel, const std::string& text, bool refresh) = 0;
};

}  // namespace vx
