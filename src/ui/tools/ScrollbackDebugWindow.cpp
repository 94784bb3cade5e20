#include "ui/tools/ScrollbackDebugWindow.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "tools/Scrollback.h"

namespace vx {
namespace {

// Control characters would break the lines of the field: they show as dots.
QString printable(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte >= 32 && byte < 127 ? QChar(byte) : QChar(u'.');
    }
    return text;
}

}  // namespace

ScrollbackDebugWindow::ScrollbackDebugWindow(const Scrollback& scrollback, QWidget* parent)
    : QWidget(parent, Qt::Window), m_scrollback(scrollback) {
    setObjectName("frmDebug");
    setWindowTitle("Scrollback Buffer Debug");
    setAttribute(Qt::WA_QuitOnClose, false);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const auto line = [&](const char* name, const QString& label) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setReadOnly(true);
        form->addRow(label, edit);
        return edit;
    };
    m_before = line("txtPosBefore", "Position before write:");
    m_after = line("txtPosAfter", "Position after write:");
    m_size = line("txtRingSize", "Ring size:");
    m_size->setText(QString::number(Scrollback::kRingSize));
    layout->addLayout(form);
    const auto area = [&](const char* name, const QString& tip) {
        auto* edit = new QPlainTextEdit(this);
        edit->setObjectName(name);
        edit->setToolTip(tip);
        edit->setReadOnly(true);
        edit->setFont(fixed);
        edit->setMinimumSize(520, 120);
        layout->addWidget(edit, 1);
        return edit;
    };
    m_ring = area("txtRing", "The whole ring, position 1 first");
    m_sinceWrap = area("txtSinceWrap", "Received since the position last moved backwards");
    auto* clear = new QPushButton("Clear", this);
    clear->setObjectName("cmdClear");
    clear->setToolTip("Empty the two text fields");
    connect(clear, &QPushButton::clicked, this, [this] {
        m_ring->clear();
        m_sinceWrap->clear();
    });
    layout->addWidget(clear, 0, Qt::AlignRight);
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(200);
    connect(&m_coalesce, &QTimer::timeout, this, [this] { refresh(); });
    refresh();
}

void ScrollbackDebugWindow::ringWritten() {
    if (isVisible() && !m_coalesce.isActive()) m_coalesce.start();
}

void ScrollbackDebugWindow::refresh() {
    m_before->setText(QString::number(m_scrollback.positionBeforeWrite()));
    m_after->setText(QString::number(m_scrollback.positionAfterWrite()));
    m_ring->setPlainText(printable(m_scrollback.ring()));
    m_sinceWrap->setPlainText(printable(m_scrollback.textSinceWrap()));
}

}  // namespace vx
