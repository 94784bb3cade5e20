#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vx {

// The port chooser (frmPORTS, " Ports"): one option per port of the board's list, the current
// port selected. Window-modal; `done` gets the port picked, or nothing when none was clicked.
class PortChooser : public QDialog {
    Q_OBJECT
public:
    PortChooser(const std::vector<std::string>& ports, int selected, QWidget* parent = nullptr);

    void ask(std::function<void(std::optional<std::string> port)> done);

private:
    std::optional<std::string> m_picked;  // SelectedPort, set once an option is clicked (dChanged)
    std::function<void(std::optional<std::string>)> m_done;
};

}  // namespace vx
