#include "widgets/speed_button.h"

#include <QToolButton>

namespace snx {

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, QRect geometry,
                             const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace snx
