#include "ui/tools/UrlListWindow.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "tools/UrlDetector.h"
#include "ui/platform/ByteText.h"
#include "ui/platform/Marker.h"

namespace vx {

UrlListWindow::UrlListWindow(UrlDetector& urls, Clipboard& clipboard, Actions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), m_urls(urls), m_clipboard(clipboard), m_actions(std::move(actions)) {
    setObjectName("frmLastURL");
    setWindowTitle("Last 10 URLs");
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(6);
    m_heading = new QLabel("Last  Copy", this);
    m_heading->setObjectName("lblLastCopy");
    grid->addWidget(m_heading, 0, 0, 1, 3);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int slot = 0; slot < kSlots; ++slot) {
        const auto i = static_cast<std::size_t>(slot);
        const QString index = QString::number(slot);
        auto* marker = makeMarker(this, "shpLastURL_" + index, "The newest address");
        auto* copy = new QPushButton("Copy", this);
        copy->setObjectName("cmdCopyURL_" + index);
        copy->setToolTip("Copy URL to Clipboard");
        keepPlaceWhenHidden(copy);
        connect(copy, &QPushButton::clicked, this, [this, slot] {
            m_urls.copyUrl(slot, m_clipboard);
            finished();
        });
        auto* label = new QLabel(this);
        label->setObjectName("lblBBSwebsite_" + index);
        label->setToolTip("Click to enter website");
        label->setFont(fixed);
        label->setMinimumWidth(360);
        label->setTextFormat(Qt::PlainText);
        label->setCursor(Qt::PointingHandCursor);
        label->setStyleSheet("color: #0000c0;");
        label->installEventFilter(this);
        grid->addWidget(marker, slot + 1, 0);
        grid->addWidget(copy, slot + 1, 1);
        grid->addWidget(label, slot + 1, 2);
        m_markers[i] = marker;
        m_copies[i] = copy;
        m_labels[i] = label;
    }
    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton("Clear URLs", this);
    clear->setObjectName("cmdClearURLs");
    clear->setToolTip("Clear ALL URLs displayed");
    connect(clear, &QPushButton::clicked, this, [this] {
        m_urls.clearUrls();
        finished();
    });
    auto* exportButton = new QPushButton("Export", this);
    exportButton->setObjectName("cmdExport");
    exportButton->setToolTip("Export URLs to Text file");
    connect(exportButton, &QPushButton::clicked, this, [this] {
        if (m_actions.exportList) m_actions.exportList();
    });
    buttons->addStretch(1);
    buttons->addWidget(clear);
    buttons->addWidget(exportButton);
    grid->addLayout(buttons, kSlots + 1, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    refresh();
}

bool UrlListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int slot = 0; slot < kSlots; ++slot) {
            if (watched == m_labels[static_cast<std::size_t>(slot)] && m_actions.open) {
                m_actions.open(slot);
                finished();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UrlListWindow::finished() {
    if (m_actions.done) m_actions.done();
}

void UrlListWindow::refresh() {
    for (int slot = 0; slot < kSlots; ++slot) {
        const auto i = static_cast<std::size_t>(slot);
        const std::string& url = m_urls.url(slot);
        m_labels[i]->setText(qtText(url));
        m_copies[i]->setVisible(m_urls.copyButtonVisible(slot));
        m_markers[i]->setVisible(slot == m_urls.newestSlot());
    }
    m_heading->setVisible(m_urls.lastCopyLabelVisible());
}

}  // namespace vx
