// Pieces of the dialogs built in code: controls named as the tests and help address them, and
// the fixed frame (title and close box only) every such dialog has.
#pragma once

#include <QScreen>
#include <QString>
#include <QWidget>

namespace snx {

template <typename Control>
Control* Named(const char* name, const char* caption, QWidget* parent) {
    auto* control = new Control(QString::fromUtf8(caption), parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

inline void SetFixedDialogFrame(QWidget& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
}

// Puts a shown dialog in the middle of its screen rather than over the window that opened it.
inline void CentreOnScreen(QWidget& dialog) {
    if (const QScreen* shown = dialog.screen(); shown != nullptr) {
        QRect frame = dialog.frameGeometry();
        frame.moveCenter(shown->availableGeometry().center());
        dialog.move(frame.topLeft());
    }
}

}  // namespace snx
