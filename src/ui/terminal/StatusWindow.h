#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vx {

class CallStatus;
class Connection;
class StatusReporter;

// The speed samples of the last minutes as a line, the newest at the right.
class SpeedGraph : public QWidget {
    Q_OBJECT
public:
    explicit SpeedGraph(const CallStatus& status, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {280, 70}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CallStatus& m_status;
};

// The status window (frmStatus): online or not, the board, the counts, the speed with its graph,
// the switches, manual log entries. It refreshes itself every second while open.
class StatusWindow : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> viewLog{};     // cmdViewSL
        std::function<bool()> logExists{};
    };

    StatusWindow(CallStatus& status, const Connection& connection, const StatusReporter& reporter, Actions actions,
                 QWidget* parent = nullptr);

    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLineEdit* field(const char* name, const QString& tip, bool readOnly = true);
    QCheckBox* check(const char* name, const QString& text, const QString& tip);

    CallStatus& m_status;
    const Connection& m_connection;
    const StatusReporter& m_reporter;
    Actions m_actions;
    QTimer m_timer;
    QLabel* m_online = nullptr;
    QLabel* m_offline = nullptr;
    QLineEdit* m_board = nullptr;
    QLineEdit* m_url = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_incoming = nullptr;
    QLineEdit* m_total = nullptr;
    QLineEdit* m_speed = nullptr;
    QLineEdit* m_average = nullptr;
    QCheckBox* m_enable = nullptr;
    QCheckBox* m_speedTest = nullptr;
    QCheckBox* m_autoNext = nullptr;
    QLineEdit* m_entry = nullptr;
    QPushButton* m_logEntry = nullptr;
    QPushButton* m_viewLog = nullptr;
    SpeedGraph* m_graph = nullptr;
};

}  // namespace vx
