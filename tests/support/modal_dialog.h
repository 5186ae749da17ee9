// Acting on a modal dialog from a test: the command that opens it runs its own event loop, so
// the test's action is queued to run once the dialog is up.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace snx::test {

// Held over the command that should open the dialog. When it goes out of scope without the
// action having run (the command opened no dialog, so no event loop ran the queued check), the
// test fails; the pending check is dropped, so it never fires in a later test.
class [[nodiscard]] DialogExpectation {
  public:
    DialogExpectation(std::unique_ptr<QTimer> timer, std::shared_ptr<bool> ran)
        : timer_(std::move(timer)), ran_(std::move(ran)) {}
    DialogExpectation(DialogExpectation&&) = default;
    ~DialogExpectation() {
        if (timer_ != nullptr && !*ran_) {
            ADD_FAILURE() << "the expected dialog never opened";
        }
    }
    bool Ran() const { return *ran_; }

  private:
    std::unique_ptr<QTimer> timer_;
    std::shared_ptr<bool> ran_;
};

// Whether the dialog is to be closed by the test's action or stays open after it.
enum class Left { Closed, Open };

// Acts on the modal dialog the next command opens. A dialog the action leaves open fails the test
// unless left says it stays open; either way it is then cancelled, so the test never waits on it.
template <typename Dialog>
DialogExpectation WhenOpened(std::function<void(Dialog&)> action, Left left = Left::Closed) {
    auto ran = std::make_shared<bool>(false);
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    QObject::connect(timer.get(), &QTimer::timeout, [action = std::move(action), ran, left] {
        *ran = true;
        QPointer<Dialog> dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "the expected dialog did not open";
        } else {
            action(*dialog);
            if (left == Left::Closed && dialog != nullptr && dialog->isVisible()) {
                ADD_FAILURE() << dialog->metaObject()->className() << " was left open";
            }
        }
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            open->reject();
        }
    });
    timer->start(0);
    return {std::move(timer), std::move(ran)};
}

// Saves a picture of widget when SONATRIX_SHOT_DIR names a folder, for looking at the windows.
inline void Shot(QWidget& widget, const char* name) {
    const QString folder = qEnvironmentVariable("SONATRIX_SHOT_DIR");
    if (!folder.isEmpty()) {
        widget.grab().save(folder + QLatin1Char('/') + QString::fromLatin1(name));
    }
}

}  // namespace snx::test
