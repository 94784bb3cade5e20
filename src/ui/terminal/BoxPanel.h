#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace vx {

class BoxEditor;
class TheBox;

// The Box's part of the terminal window: the quoting steps, the rulers over the editor, the
// send and paste buttons, the prefix, delay and alarm settings. Every control calls one TheBox
// operation; refresh() reads the state back.
class BoxPanel : public QWidget {
    Q_OBJECT
public:
    // `editor` is the Box's text, made before the session; the panel lays it out and owns it.
    BoxPanel(TheBox& box, BoxEditor& editor, QWidget* parent = nullptr);

    // VXEditor's part: "Box to VXE" and the echo of every change.
    struct EditorLinks {
        std::function<void()> boxToEditor{};
        std::function<void()> textChanged{};
    };
    void setEditorLinks(EditorLinks links) { m_links = std::move(links); }

    void refresh();
    // Marker of quoting step 1: it stands beside "1) Scrollback to Box", which the terminal
    // window places with the scrollback controls.
    QLabel* stepMarker(int step) const { return m_stepMarkers[static_cast<std::size_t>(step)]; }
    BoxEditor& editor() { return m_editor; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field(const char* name, const QString& tip, int width);
    void applyWidth();
    void textEdited();
    void delayEdited();

    TheBox& m_box;
    BoxEditor& m_editor;
    EditorLinks m_links;
    int m_shownWidth = 0;
    std::array<QLabel*, 4> m_stepMarkers{};
    QLabel* m_focusMarker = nullptr;
    QLabel* m_noWrap = nullptr;
    QLabel* m_tens = nullptr;
    QLabel* m_units = nullptr;
    QSlider* m_slider = nullptr;
    QLineEdit* m_alarmColumn = nullptr;
    QCheckBox* m_alarmEnabled = nullptr;
    QCheckBox* m_autoCR = nullptr;
    QLineEdit* m_prefix = nullptr;
    QLineEdit* m_delay = nullptr;
    QLineEdit* m_length = nullptr;
    QLabel* m_lines = nullptr;
    QPushButton* m_widthToggle = nullptr;
    QPushButton* m_undo = nullptr;
    QPushButton* m_redo = nullptr;
    // Disabled while the Box goes out in pieces, with the label saying how far it is.
    std::vector<QPushButton*> m_sendButtons;
    QLabel* m_sending = nullptr;
};

}  // namespace vx
