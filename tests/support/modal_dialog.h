// Acting on a modal dialog from a test: the command that opens it runs its own event loop, so
// the test's action is queued to run once the dialog is up.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace snx::test {

// Acts on the modal dialog the next command opens. A dialog the action leaves open is cancelled,
// so a failing check never leaves the test waiting on it.
template <typename Dialog>
void WhenOpened(std::function<void(Dialog&)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "the expected dialog did not open";
        } else {
            action(*dialog);
        }
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            open->reject();
        }
    });
}

}  // namespace snx::test
