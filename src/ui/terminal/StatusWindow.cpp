#include "ui/terminal/StatusWindow.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "log/StatusReporter.h"
#include "session/CallStatus.h"
#include "session/Connection.h"
#include "ui/platform/ByteText.h"

namespace vx {
SpeedGraph::SpeedGraph(const CallStatus& status, QWidget* parent) : QWidget(parent), m_status(status) {
    setObjectName("picGraph");
    setToolTip("Speed in bits per second, one sample every three seconds");
    setMinimumSize(200, 60);
}

void SpeedGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(16, 24, 48));
    const auto& samples = m_status.history();
    const int peak = samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
    painter.setPen(QColor(120, 140, 180));
    painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignTop | Qt::AlignLeft,
                     peak > 0 ? QString("%1 bps").arg(peak) : QString("no samples"));
    if (samples.size() < 2 || peak <= 0) return;
    // The newest sample at the right edge; as many as fit, one every four pixels.
    const int step = 4;
    const int shown = std::min<int>(static_cast<int>(samples.size()), width() / step + 1);
    const int top = 16, bottom = height() - 3;
    QPainterPath line;
    for (int i = 0; i < shown; ++i) {
        const int value = samples[samples.size() - static_cast<std::size_t>(shown - i)];
        const double x = width() - 1 - (shown - 1 - i) * step;
        const double y = bottom - static_cast<double>(value) / peak * (bottom - top);
        if (i == 0)
            line.moveTo(x, y);
        else
            line.lineTo(x, y);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(80, 220, 120), 2));
    painter.drawPath(line);
}

StatusWindow::StatusWindow(CallStatus& status, const Connection& connection, const StatusReporter& reporter,
                           Actions actions, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_status(status),
      m_connection(connection),
      m_reporter(reporter),
      m_actions(std::move(actions)) {
    setObjectName("frmStatus");
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);

    auto* state = new QHBoxLayout;
    m_online = new QLabel("ONLINE", this);
    m_online->setObjectName("Label1");
    m_online->setStyleSheet("color: #00a000; font-weight: bold;");
    m_offline = new QLabel("OFFLINE", this);
    m_offline->setObjectName("Label4");
    m_offline->setStyleSheet("color: #c00000; font-weight: bold;");
    state->addWidget(m_online);
    state->addWidget(m_offline);
    state->addStretch(1);
    layout->addLayout(state);

    auto* form = new QFormLayout;
    m_board = field("Text2", "BBS connected to...");
    m_url = field("Text3", "URL connected to...");
    m_port = field("Text4", "Port of the current BBS");
    form->addRow("BBS:", m_board);
    form->addRow("URL:", m_url);
    form->addRow("Port:", m_port);
    m_incoming = field("txtIncChars", "# of incoming characters this session");
    form->addRow("Session:", m_incoming);
    auto* totalRow = new QHBoxLayout;
    auto* update = new QPushButton("Total:", this);
    update->setObjectName("cmdUpdateChars");
    update->setToolTip("Add current # of chars to total # of chars");
    connect(update, &QPushButton::clicked, this, [this] { m_status.updateTotal(); });
    m_total = field("Text1", "Total # of incoming characters");
    totalRow->addWidget(update);
    totalRow->addWidget(m_total, 1);
    form->addRow(totalRow);
    m_speed = field("txtSpeed", "Calculated speed (bits per second / chars per second)");
    m_average = field("txtAvgBPS", "Average speed (bits per second)");
    form->addRow("Speed:", m_speed);
    form->addRow("Average:", m_average);
    layout->addLayout(form);

    m_graph = new SpeedGraph(m_status, this);
    layout->addWidget(m_graph);

    auto* switches = new QHBoxLayout;
    m_enable = check("chkSpeed", "Enable", "Enable CPS/BPS Measurement");
    connect(m_enable, &QCheckBox::clicked, this, [this](bool on) { m_status.setMeasurement(on); });
    m_speedTest = check("chkSpeedTest", "Speed Test", "Enable SpeedTest - disables screen and keyboard");
    connect(m_speedTest, &QCheckBox::clicked, this, [this](bool on) { m_status.setSpeedTest(on); });
    m_autoNext = check("chkAutoNext", "AutoNext", "Call the next board when this one hangs up");
    connect(m_autoNext, &QCheckBox::clicked, this, [this](bool on) { m_status.setAutoNext(on); });
    for (QCheckBox* box : {m_enable, m_speedTest, m_autoNext}) switches->addWidget(box);
    layout->addLayout(switches);

    auto* entryRow = new QHBoxLayout;
    m_entry = field("Text5", "Tex for the manual log entry", false);
    holdToCodePage(m_entry);
    m_logEntry = new QPushButton("Man. Log Entry", this);
    m_logEntry->setObjectName("cmdLogEntry");
    m_logEntry->setToolTip("Create a manual log entry");
    connect(m_logEntry, &QPushButton::clicked, this, [this] {
        if (m_status.manualEntry(bytesOf(m_entry->text()))) m_entry->clear();
    });
    connect(m_entry, &QLineEdit::returnPressed, m_logEntry, &QPushButton::click);
    entryRow->addWidget(m_entry, 1);
    entryRow->addWidget(m_logEntry);
    layout->addLayout(entryRow);
    m_viewLog = new QPushButton("View Log", this);
    m_viewLog->setObjectName("cmdViewSL");
    connect(m_viewLog, &QPushButton::clicked, this, [this] {
        if (m_actions.viewLog) m_actions.viewLog();
    });
    layout->addWidget(m_viewLog, 0, Qt::AlignRight);

    m_timer.setInterval(1000);  // Timer1
    connect(&m_timer, &QTimer::timeout, this, [this] { refresh(); });
    refresh();
}

QLineEdit* StatusWindow::field(const char* name, const QString& tip, bool readOnly) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setToolTip(tip);
    edit->setReadOnly(readOnly);
    return edit;
}

QCheckBox* StatusWindow::check(const char* name, const QString& text, const QString& tip) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(name);
    box->setToolTip(tip);
    return box;
}

void StatusWindow::refresh() {
    setWindowTitle(qtText(m_status.caption()));
    const bool online = m_status.online();
    m_online->setVisible(online);
    m_offline->setVisible(!online);
    m_board->setText(qtText(m_connection.connectedName()));
    m_url->setText(qtText(m_connection.connectedHost()));
    m_port->setText(m_connection.connectedPort() > 0 ? QString::number(m_connection.connectedPort()) : QString());
    m_incoming->setText(qtText(m_status.incomingText()));
    m_total->setText(qtText(m_status.totalText()));
    m_speed->setText(qtText(m_status.speedText()));
    m_average->setText(qtText(m_status.averageText()));
    m_enable->setChecked(m_status.measurement());
    m_speedTest->setChecked(m_status.speedTest());
    m_autoNext->setChecked(m_status.autoNext());
    const bool logging = m_reporter.sysLog();
    m_entry->setVisible(logging);
    m_logEntry->setVisible(logging);
    m_viewLog->setVisible(logging && m_actions.logExists && m_actions.logExists());
    m_graph->update();
}

void StatusWindow::showEvent(QShowEvent* event) {
    refresh();
    m_timer.start();
    QWidget::showEvent(event);
}

void StatusWindow::hideEvent(QHideEvent* event) {
    m_timer.stop();
    QWidget::hideEvent(event);
}

}  // namespace vx
