// Questions, notices and dialogs as the user meets them. The program's own message boxes are
// shown; each box runs its own event loop, so the program's timers keep ticking under it, and
// the test answers a box only once it is up. Every box must be one the test expects, in order:
// a second box, a box over the wrong window, a box the answer left open or one that never comes
// fails the test.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/user_input.h"
#include "util/user_messages.h"
#include "widgets/qt_user_messages.h"

namespace snx::test {

class Boxes {
  public:
    // Shows the program's message boxes over main, as the program does.
    explicit Boxes(QWidget* main) : messages_(main), installed_(messages_) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
        poll_.start(2);
    }
    ~Boxes() {
        poll_.stop();
        for (const Step& step : steps_) {
            ADD_FAILURE() << "this never opened: " << step.What;
        }
    }
    Boxes(const Boxes&) = delete;
    Boxes& operator=(const Boxes&) = delete;

    // A Yes/No question with this text, answered by Alt+Y or Alt+N.
    Boxes& Question(const std::string& text, bool yes) {
        return Message(text, [yes] { Alt(yes ? 'y' : 'n'); });
    }
    // A notice with this text, closed by Enter.
    Boxes& Notice(const std::string& text) {
        return Message(text, [] { Key(Qt::Key_Return); });
    }
    // A dialog of class D (or derived from it); act drives it with keys and must close it.
    template <typename D>
    Boxes& Dialog(std::function<void(D&)> act) {
        Step step;
        step.What = D::staticMetaObject.className();
        step.Matches = [](QWidget& box) { return qobject_cast<D*>(&box) != nullptr; };
        step.Act = [act = std::move(act)](QWidget& box) { act(static_cast<D&>(box)); };
        steps_.push_back(std::move(step));
        return *this;
    }
    // The box of the step just added must stand over this window.
    Boxes& Over(QWidget* window) {
        steps_.back().Over = window->window()->metaObject()->className();
        steps_.back().OverWindow = window->window();
        return *this;
    }
    // The box of the step just added must stand over a dialog of class D.
    template <typename D>
    Boxes& Over() {
        steps_.back().Over = D::staticMetaObject.className();
        return *this;
    }
    // The box of the step just added stays open after its action (a dialog whose check failed);
    // the next step then acts on it again.
    Boxes& StaysOpen() {
        steps_.back().StaysOpen = true;
        return *this;
    }
    // The box of the step just added is answered only after ticks timeouts of timer have run
    // under it; meanwhile, while runs at every look (letting a virtual clock move on).
    Boxes& After(QTimer* timer, int ticks, std::function<void()> meanwhile = {}) {
        Step& step = steps_.back();
        step.Timer = timer;
        step.Ticks = ticks;
        step.Meanwhile = std::move(meanwhile);
        return *this;
    }

    // Windows of class D (a progress window) come and go on their own while work runs; they are
    // not boxes to answer, and the boxes over them are looked for as usual.
    template <typename D>
    Boxes& Passing() {
        passing_.push_back([](QWidget& box) { return qobject_cast<D*>(&box) != nullptr; });
        return *this;
    }

    // The texts of the message boxes shown so far.
    const std::vector<std::string>& Shown() const { return shown_; }
    bool Done() const { return steps_.empty(); }

  private:
    struct Step {
        std::string What;
        std::function<bool(QWidget&)> Matches;
        std::function<void(QWidget&)> Act;
        std::string Over;  // the class of the window the box stands over
        QPointer<QWidget> OverWindow;
        bool StaysOpen = false;
        QTimer* Timer = nullptr;
        int Ticks = 0;
        std::function<void()> Meanwhile;
    };
    // A box on screen: waiting for its ticks, acted on, or its action returned.
    struct Open {
        QPointer<QWidget> Box;
        Step Taken;
        int TicksSeen = 0;
        int Looks = 0;
        QMetaObject::Connection Counting;
        bool Acting = false;
        bool Returned = false;
        // Closed since it arrived: the same object shown again is a new opening, even when no
        // look came between its closing and its reopening (the handset reuses its dialogs).
        bool Closed = false;
    };

    Boxes& Message(const std::string& text, std::function<void()> answer) {
        Step step;
        step.What = "the message \"" + text + "\"";
        step.Matches = [text](QWidget& box) {
            auto* message = qobject_cast<QMessageBox*>(&box);
            return message != nullptr && message->text().toStdString() == text;
        };
        step.Act = [answer = std::move(answer)](QWidget&) { answer(); };
        steps_.push_back(std::move(step));
        return *this;
    }

    static std::string Describe(QWidget& box) {
        if (auto* message = qobject_cast<QMessageBox*>(&box)) {
            return "the message \"" + message->text().toStdString() + "\"";
        }
        return box.metaObject()->className();
    }

    static bool Pressed(QWidget& box) {
        const QList<QAbstractButton*> buttons = box.findChildren<QAbstractButton*>();
        return std::any_of(buttons.begin(), buttons.end(),
                           [](const QAbstractButton* button) { return button->isDown(); });
    }
    static void Dismiss(QWidget& box) {
        if (auto* dialog = qobject_cast<QDialog*>(&box)) {
            dialog->reject();
        } else {
            box.close();
        }
    }

    Open* Find(QWidget* box) {
        for (Open& open : open_) {
            if (open.Box == box) {
                return &open;
            }
        }
        return nullptr;
    }

    void Poll() {
        std::erase_if(open_, [](const Open& open) {
            return open.Box.isNull() || (open.Returned && (!open.Box->isVisible() || open.Closed));
        });
        QWidget* top = QApplication::activeModalWidget();
        if (top == nullptr || QApplication::activePopupWidget() != nullptr) {
            return;
        }
        if (std::any_of(passing_.begin(), passing_.end(),
                        [top](const auto& passing) { return passing(*top); })) {
            return;
        }
        Open* open = Find(top);
        if (open == nullptr) {
            Arrive(*top);
            return;
        }
        if (open->Acting) {
            return;  // its action is still running (and may have opened a box over it)
        }
        if (open->Returned) {
            if (Pressed(*top)) {
                return;  // a button's letter presses it for a moment before it acts
            }
            if (open->Taken.StaysOpen) {
                std::erase_if(open_, [top](const Open& each) { return each.Box == top; });
                Arrive(*top);
            } else {
                ADD_FAILURE() << Describe(*top) << " was left open";
                std::erase_if(open_, [top](const Open& each) { return each.Box == top; });
                Dismiss(*top);
            }
            return;
        }
        if (open->Taken.Meanwhile) {
            open->Taken.Meanwhile();
        }
        // The window system activates the box a moment after it opens; its letters work then.
        const bool active = QApplication::activeWindow() == top || ++open->Looks > 1000;
        if (active && open->TicksSeen >= open->Taken.Ticks) {
            Act(*open);
        }
    }

    void Arrive(QWidget& box) {
        if (auto* message = qobject_cast<QMessageBox*>(&box)) {
            shown_.push_back(message->text().toStdString());
        }
        if (steps_.empty() || !steps_.front().Matches(box)) {
            ADD_FAILURE() << "unexpected: " << Describe(box)
                          << (steps_.empty() ? std::string()
                                             : ", waiting for " + steps_.front().What);
            open_.push_back({&box, {}, 0, 0, {}, false, true});
            WatchClosing(box);
            Dismiss(box);
            return;
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        if (!step.Over.empty()) {
            QWidget* parent =
                box.parentWidget() != nullptr ? box.parentWidget()->window() : nullptr;
            const bool right =
                parent != nullptr && (step.OverWindow.isNull() ? parent->inherits(step.Over.c_str())
                                                               : parent == step.OverWindow);
            EXPECT_TRUE(right) << Describe(box) << " opened over "
                               << (parent != nullptr ? parent->metaObject()->className()
                                                     : "no window")
                               << " instead of " << step.Over;
        }
        // As the window system does with a window that opens over the others.
        box.activateWindow();
        open_.push_back({&box, std::move(step), 0, 0, {}, false, false});
        WatchClosing(box);
        Open& open = open_.back();
        if (open.Taken.Timer != nullptr) {
            QPointer<QWidget> key = &box;
            open.Counting = QObject::connect(open.Taken.Timer, &QTimer::timeout, [this, key] {
                if (Open* counted = Find(key)) {
                    ++counted->TicksSeen;
                }
            });
        }
    }

    // The poll timer is the connection's context, so it ends with these boxes.
    void WatchClosing(QWidget& box) {
        if (auto* dialog = qobject_cast<QDialog*>(&box)) {
            QPointer<QWidget> key = &box;
            QObject::connect(dialog, &QDialog::finished, &poll_, [this, key] {
                if (Open* closed = Find(key)) {
                    closed->Closed = true;
                }
            });
        }
    }

    // Posted, so that this look returns first: the action may open a box of its own, which the
    // next look must see.
    void Act(Open& open) {
        open.Acting = true;
        QObject::disconnect(open.Counting);
        QPointer<QWidget> box = open.Box;
        QTimer::singleShot(0, [this, box] {
            Open* acting = Find(box);
            if (acting == nullptr) {
                return;
            }
            const std::function<void(QWidget&)> act = acting->Taken.Act;
            act(*box);
            if (Open* after = Find(box)) {
                after->Acting = false;
                after->Returned = true;
            }
        });
    }

    QtUserMessages messages_;
    ScopedUserMessages installed_;
    QTimer poll_;
    std::deque<Step> steps_;
    std::deque<Open> open_;
    std::vector<std::string> shown_;
    std::vector<std::function<bool(QWidget&)>> passing_;
};

}  // namespace snx::test
