#include "ui/directory/PortChooser.h"

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vx {
namespace {
constexpr int kTwipsPerPixel = 15;
}

PortChooser::PortChooser(const std::vector<std::string>& ports, int selected, QWidget* parent) : QDialog(parent) {
    setObjectName("frmPORTS");
    setWindowTitle(" Ports");
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    for (std::size_t i = 0; i < ports.size(); ++i) {
        auto* option = new QRadioButton(QString::fromStdString(ports[i]), this);
        option->setObjectName("optPORT_" + QString::number(i + 1));
        option->setChecked(static_cast<int>(i) == selected);
        const std::string port = ports[i];
        connect(option, &QRadioButton::clicked, this, [this, port] { m_picked = port; });
        layout->addWidget(option);
    }
    auto* set = new QPushButton("Set Port", this);
    set->setObjectName("cmdExit");
    connect(set, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(set);
    // 480 twips a port and 700 for the rest.
    setMinimumHeight((480 * static_cast<int>(ports.size()) + 700) / kTwipsPerPixel);
    connect(this, &QDialog::finished, this, [this] {
        if (auto done = std::exchange(m_done, {})) done(m_picked);
    });
}

void PortChooser::ask(std::function<void(std::optional<std::string>)> done) {
    m_done = std::move(done);
    open();
}

}  // namespace vx
