#include "ui/terminal/TransferWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "session/FileTransfers.h"

namespace vx {
namespace {

constexpr int kBarSteps = 100;

QString local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QString bytesText(const TransferProgress& progress) {
    const QString done = QLocale::system().toString(static_cast<qlonglong>(progress.bytesDone));
    if (progress.bytesTotal < 0) return done + " bytes";
    return done + " of " + QLocale::system().toString(static_cast<qlonglong>(progress.bytesTotal)) + " bytes";
}

// The batch protocols: the sender names each file, and several go in one transfer.
bool sendsNames(int protocol) {
    return protocol == static_cast<int>(TransferProtocol::Ymodem) ||
           protocol == static_cast<int>(TransferProtocol::Zmodem);
}

}  // namespace

TransferWindow::TransferWindow(FileTransfers& transfers, Actions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), m_transfers(transfers), m_actions(std::move(actions)) {
    setObjectName("frmTransfer");
    setAttribute(Qt::WA_QuitOnClose, false);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(50);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] { refresh(); });
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_protocol = new QComboBox(this);
    m_protocol->setObjectName("cboTransferProtocol");
    for (const TransferProtocol protocol :
         {TransferProtocol::Xmodem, TransferProtocol::XmodemCrc, TransferProtocol::Xmodem1K, TransferProtocol::Ymodem,
          TransferProtocol::Zmodem})
        m_protocol->addItem(FileTransfers::protocolName(protocol), static_cast<int>(protocol));
    m_protocol->setCurrentIndex(1);
    connect(m_protocol, &QComboBox::currentIndexChanged, this, [this] { protocolChosen(); });
    form->addRow("Protocol:", m_protocol);

    auto* fileRow = new QHBoxLayout;
    m_file = new QLineEdit(this);
    m_file->setObjectName("txtTransferFile");
    m_file->setMinimumWidth(320);
    fileRow->addWidget(m_file, 1);
    m_browse = new QPushButton("Browse...", this);
    m_browse->setObjectName("cmdTransferBrowse");
    connect(m_browse, &QPushButton::clicked, this, [this] { browse(); });
    fileRow->addWidget(m_browse);
    m_fileLabel = new QLabel("Save as:", this);
    form->addRow(m_fileLabel, fileRow);
    layout->addLayout(form);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName("pbTransfer");
    m_bar->setRange(0, kBarSteps);
    m_bar->setValue(0);
    layout->addWidget(m_bar);
    auto* numbers = new QFormLayout;
    const auto label = [this, numbers](const char* name, const QString& caption) {
        auto* shown = new QLabel("-", this);
        shown->setObjectName(name);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        numbers->addRow(caption, shown);
        return shown;
    };
    m_name = label("lblTransferFile", "File:");
    m_bytes = label("lblTransferBytes", "Bytes:");
    m_speed = label("lblTransferSpeed", "Speed:");
    m_errors = label("lblTransferErrors", "Errors:");
    m_message = label("lblTransferStatus", "Status:");
    m_message->setWordWrap(true);
    layout->addLayout(numbers);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_start = new QPushButton("Start", this);
    m_start->setObjectName("cmdTransferStart");
    m_start->setDefault(true);
    m_start->setAutoDefault(true);
    connect(m_start, &QPushButton::clicked, this, [this] { start(); });
    m_cancel = new QPushButton("Close", this);
    m_cancel->setObjectName("cmdTransferCancel");
    m_cancel->setAutoDefault(true);  // Return on the focused button presses it
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancelOrClose(); });
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    refresh();
}

void TransferWindow::transferChanged() {
    if (!m_transfers.active()) {
        m_refreshTimer.stop();
        refresh();
        return;
    }
    // The bar moves with every step (it repaints at most once a frame); the texts follow later.
    showBar();
    if (!m_refreshTimer.isActive()) m_refreshTimer.start();
}

void TransferWindow::showBar() {
    const TransferProgress& progress = m_transfers.state().progress;
    if (progress.bytesTotal > 0) {
        m_bar->setRange(0, kBarSteps);
        m_bar->setValue(static_cast<int>(progress.bytesDone * kBarSteps / progress.bytesTotal));
    } else {
        m_bar->setRange(0, 0);  // size unknown (XMODEM): the bar shows it is busy
    }
}

void TransferWindow::prepareFor(bool upload) {
    if (m_transfers.active()) {
        m_upload = m_transfers.state().upload;  // a transfer the board began shows as it is
    } else {
        m_upload = upload;
        m_file->clear();
        if (!upload) m_file->setText("download.bin");
        m_bar->setRange(0, kBarSteps);
        m_bar->setValue(0);
        // A new transfer starts from nothing: the last one's figures are not this one's.
        m_showsResults = false;
        for (QLabel* shown : {m_name, m_bytes, m_speed, m_errors, m_message}) shown->setText("-");
    }
    refresh();
    protocolChosen();
}

void TransferWindow::focusDefaultButton() { (m_transfers.active() ? m_cancel : m_start)->setFocus(); }

void TransferWindow::protocolChosen() {
    // YMODEM and ZMODEM name their files themselves; an XMODEM download needs a name from the user.
    const bool named = sendsNames(m_protocol->currentData().toInt());
    m_file->setEnabled(m_upload || !named);
    m_browse->setVisible(m_upload);
    m_fileLabel->setText(m_upload ? (named ? "Files:" : "File:") : "Save as:");
}

void TransferWindow::browse() {
    const bool batch = sendsNames(m_protocol->currentData().toInt());
    auto* dialog = new QFileDialog(this, "Send which file?");
    dialog->setObjectName("dlgTransferFile");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(batch ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::filesSelected, this, [this](const QStringList& files) {
        m_file->setText(files.join(";"));
        m_start->setFocus();
    });
    dialog->open();
}

void TransferWindow::start() {
    const auto protocol = static_cast<TransferProtocol>(m_protocol->currentData().toInt());
    const std::string file = m_file->text().trimmed().toLocal8Bit().toStdString();
    bool started = false;
    if (m_upload) {
        std::vector<std::string> paths;
        for (const QString& path : m_file->text().split(';', Qt::SkipEmptyParts))
            paths.push_back(path.trimmed().toLocal8Bit().toStdString());
        if (paths.empty()) {
            m_message->setText("Choose the file to send first.");
            m_browse->setFocus();
            return;
        }
        started = m_transfers.startUpload(protocol, paths);
    } else {
        started = m_transfers.startDownload(protocol, file);
    }
    refresh();
    if (started) m_cancel->setFocus();
}

void TransferWindow::cancelOrClose() {
    if (m_transfers.active()) {
        m_transfers.cancel();
        return;
    }
    hide();
    if (m_actions.closed) m_actions.closed();
}

void TransferWindow::refresh() {
    const FileTransfers::State& state = m_transfers.state();
    setWindowTitle(m_upload ? "Upload File" : "Download File");
    m_protocol->setEnabled(!state.active);
    m_file->setReadOnly(state.active);
    m_browse->setEnabled(!state.active);
    m_start->setEnabled(!state.active);
    m_cancel->setText(state.active ? "Cancel" : "Close");
    const TransferProgress& progress = state.progress;
    if (state.active) m_showsResults = true;
    if (m_showsResults) {
        m_name->setText(progress.fileName.empty() ? "-" : local(progress.fileName));
        m_bytes->setText(bytesText(progress));
        m_speed->setText(QString::fromStdString(transferSpeedText(progress)));
        const bool explained = progress.lastError.empty() || progress.lastError == state.message;
        m_errors->setText(QString::number(progress.errors) +
                          (explained ? QString() : " (" + local(progress.lastError) + ")"));
    }
    if (state.active) {
        m_wasActive = true;
        m_protocol->setCurrentIndex(m_protocol->findData(static_cast<int>(state.protocol)));
        QString doing = QString(m_upload ? "Sending" : "Receiving") + " with " +
                        FileTransfers::protocolName(state.protocol) + "...";
        if (progress.resumedFrom > 0)
            doing +=
                " (resumed from byte " + QLocale::system().toString(static_cast<qlonglong>(progress.resumedFrom)) + ")";
        m_message->setText(doing);
        showBar();
    } else if (state.finished && std::exchange(m_wasActive, false)) {
        m_message->setText(local(state.message));
        const int reached = std::max(0, m_bar->value());
        m_bar->setRange(0, kBarSteps);
        m_bar->setValue(state.ok ? kBarSteps : reached);
        // The transfer is over: Close takes the keys, so Return or Escape closes.
        if (isVisible()) m_cancel->setFocus();
    }
}

void TransferWindow::closeEvent(QCloseEvent* event) {
    // Closing the window while a transfer runs leaves it running; the window comes back with it.
    event->accept();
    if (m_actions.closed) m_actions.closed();
}

void TransferWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancelOrClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace vx
