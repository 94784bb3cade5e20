#pragma once

#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace vx {

class Clipboard;
class UrlDetector;

// "Last 10 URLs" (frmLastURL): the addresses the detector found, newest marked. A click on an
// address opens it in the browser; Copy puts it on the clipboard. The list is read back from the
// detector whenever it changes.
class UrlListWindow : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(int slot)> open{};  // a click on an address
        std::function<void()> exportList{};    // "Export"
        std::function<void()> done{};          // after open, copy and clear: the keys go back to the board
    };

    UrlListWindow(UrlDetector& urls, Clipboard& clipboard, Actions actions, QWidget* parent = nullptr);

    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kSlots = 10;

    void finished();

    UrlDetector& m_urls;
    Clipboard& m_clipboard;
    Actions m_actions;
    std::array<QLabel*, kSlots> m_labels{};
    std::array<QPushButton*, kSlots> m_copies{};
    std::array<QLabel*, kSlots> m_markers{};
    QLabel* m_heading = nullptr;
};

}  // namespace vx
