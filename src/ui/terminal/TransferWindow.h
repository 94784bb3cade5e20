#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vx {

class FileTransfers;

// The file-transfer window (frmTransfer): the protocol and the file are chosen, Start runs the
// transfer, and while it runs the progress bar, the bytes, the speed and the errors follow it;
// Cancel stops it (the partial download is removed), Close hides the window.
class TransferWindow : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> closed{};  // the keys go back to the screen
    };

    TransferWindow(FileTransfers& transfers, Actions actions, QWidget* parent = nullptr);

    // Ready for a download or an upload (while none runs).
    void prepareFor(bool upload);
    // Start holds the keyboard, or Cancel while a transfer runs.
    void focusDefaultButton();
    void refresh();
    // The transfer moved on: the bar follows at once, the texts at most every 50 ms while it
    // runs (a block arrives every fraction of a millisecond), everything at once when it ends.
    void transferChanged();
    bool uploadMode() const { return m_upload; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void start();
    void browse();
    void cancelOrClose();
    void protocolChosen();
    void showBar();

    FileTransfers& m_transfers;
    Actions m_actions;
    bool m_upload = false;
    bool m_showsResults = false;  // the figures are of a transfer started in this opening
    bool m_wasActive = false;
    QTimer m_refreshTimer;
    QComboBox* m_protocol = nullptr;
    QLabel* m_fileLabel = nullptr;
    QLineEdit* m_file = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_bytes = nullptr;
    QLabel* m_speed = nullptr;
    QLabel* m_errors = nullptr;
    QLabel* m_message = nullptr;
};

}  // namespace vx
