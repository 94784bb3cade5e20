#include "ui/dialogs/WebsiteWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/platform/ByteText.h"

namespace vx {
WebsiteWindow::WebsiteWindow(std::function<void(const std::string& url)> openUrl, QWidget* parent)
    : QWidget(parent, Qt::Window), m_openUrl(std::move(openUrl)) {
    setObjectName("frmWEBSITE");
    setWindowTitle("Website");
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    m_name = new QLabel(this);
    m_name->setObjectName("lblBBSName");
    m_link = new QLabel(this);
    m_link->setObjectName("lblBBSwebsite");
    m_link->setToolTip("Click to enter website");
    m_link->setTextFormat(Qt::RichText);
    m_link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    // The link goes through the program's own browser rules, not the desktop's default handler.
    connect(m_link, &QLabel::linkActivated, this, [this] {
        if (m_openUrl && !m_website.empty()) m_openUrl(m_website);
    });
    auto* hint = new QLabel("Click Link Above to Enter", this);
    hint->setObjectName("lblHint");
    auto* close = new QPushButton("Close", this);
    close->setObjectName("cmdClose");
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(m_name);
    layout->addWidget(m_link);
    layout->addWidget(hint);
    layout->addWidget(close, 0, Qt::AlignRight);
}

void WebsiteWindow::setBoard(const std::string& name, const std::string& website) {
    m_website = website;
    m_name->setText("Website: " + qtText(name));
    m_link->setText("<a href=\"#\">" + qtText(website).toHtmlEscaped() + "</a>");
}

}  // namespace vx
