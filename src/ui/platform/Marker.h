#pragma once

#include <QColor>
#include <QLabel>
#include <QWidget>

namespace vx {

// Keeps a control's place in its layout while it is hidden, so the controls beside it do not
// move when it comes and goes.
inline void keepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

// A small square marker (a step, the newest entry, the focus), hidden at first.
inline QLabel* makeMarker(QWidget* parent, const QString& name, const QString& tip,
                          const QColor& colour = QColor(48, 208, 48)) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setToolTip(tip);
    label->setFixedSize(10, 10);
    label->setStyleSheet(QString("background: %1; border: 1px solid #404040;").arg(colour.name()));
    keepPlaceWhenHidden(label);
    label->hide();
    return label;
}

}  // namespace vx
