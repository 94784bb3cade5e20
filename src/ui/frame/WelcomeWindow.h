#pragma once

#include <QWidget>
#include <functional>

namespace vx {

// The first window: the program's picture. A key or a left click on it goes on to the program.
class WelcomeWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "  Welcome to the ATASCII Terminal client.  Click on the image.";
    // Room a title bar takes besides its text: icon and window buttons.
    static constexpr int kTitleBarButtons = 160;

    explicit WelcomeWindow(std::function<void()> onDismiss, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void dismiss();
    std::function<void()> m_onDismiss;
};

}  // namespace vx
