#include "ui/config/MoveWindows.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx {

MoveWindows::MoveWindows(std::function<void()> savePositions, QWidget* parent)
    : QDialog(parent), m_save(std::move(savePositions)) {
    setObjectName("frmMoveWindows");
    setWindowTitle("Save Window Positions...");
    // Not modal: the user moves the other windows while this one waits for OK.
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Move the windows to desired positions and hit OK", this));
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cmdCancel");
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (m_save) m_save();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace vx
