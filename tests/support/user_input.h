// The user's own ways into the windows: keys go to the widget that has the keyboard focus in the
// window on top, clicks land only on a control that is shown, enabled and under the pointer, and
// menus are opened by their letters.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QString>
#include <QTest>
#include <QWidget>

namespace snx::test {

// The window the user's keys reach: an open popup menu, else the modal box or dialog on top,
// else the active window.
inline QWidget* TopWindow() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        return popup;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

// The widget a key goes to: the focus widget of the window on top, or that window itself.
inline QWidget* KeyTarget() {
    QWidget* top = TopWindow();
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && top != nullptr && focus->window() == top &&
        QApplication::activePopupWidget() == nullptr) {
        return focus;
    }
    return top;
}

// Makes window the active one, as the user's click on its title bar does.
inline void Activate(QWidget& window) {
    window.activateWindow();
    window.raise();
    // The window itself, not a menu of it that closed before its activation came through: Qt
    // counts such a menu's window as the active one, and keys would go to the hidden menu.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window.window(); }))
        << "the window never became active";
}

// A button's letter presses it for a moment before it acts, as a click would show; the user's
// next key comes after that.
inline void LetPressedButtonsAct(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    const auto pressed = [window] {
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->isDown()) {
                return true;
            }
        }
        return false;
    };
    for (int i = 0; i < 100 && pressed(); ++i) {
        QTest::qWait(10);
    }
}

// One key pressed and released where the user's keyboard focus is; the release goes where the
// focus is after the press, as a keyboard's does.
inline void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = KeyTarget();
    ASSERT_NE(target, nullptr) << "no window takes the keys";
    QWidget* window = target->window();
    QTest::keyPress(target, key, modifiers);
    if (QWidget* after = KeyTarget()) {
        QTest::keyRelease(after, key, modifiers);
    }
    LetPressedButtonsAct(window);
}
inline void Key(char letter, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = KeyTarget();
    ASSERT_NE(target, nullptr) << "no window takes the keys";
    QWidget* window = target->window();
    QTest::keyPress(target, letter, modifiers);
    if (QWidget* after = KeyTarget()) {
        QTest::keyRelease(after, letter, modifiers);
    }
    LetPressedButtonsAct(window);
}
// Alt and a letter: a mnemonic, a menu of the menu bar or an accelerator.
inline void Alt(char letter) {
    Key(letter, Qt::AltModifier);
}

// Text typed character by character into whatever has the focus.
inline void Type(const QString& text) {
    for (const QChar c : text) {
        Key(c.toLatin1());
    }
}

// Text of any characters (accented ones too) typed where the focus is, one key each, the key
// carrying its character as a keyboard layout gives it.
inline void TypeCharacters(const QString& text) {
    for (const QChar c : text) {
        QWidget* target = KeyTarget();
        ASSERT_NE(target, nullptr) << "no window takes the keys";
        const auto key = static_cast<Qt::Key>(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, target, key, QString(c), Qt::NoModifier);
        if (QWidget* after = KeyTarget()) {
            QTest::sendKeyEvent(QTest::Release, after, key, QString(c), Qt::NoModifier);
        }
    }
}

// The modal window on top made active again, as the window system does when a box over it
// closes.
inline void FrontModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && QApplication::activePopupWidget() == nullptr &&
        QApplication::activeWindow() != modal) {
        Activate(*modal);
    }
}
// Alt and a letter in the modal window on top.
inline void AltOnTop(char letter) {
    FrontModal();
    Alt(letter);
}
// Text typed over the whole of the field the letter focuses.
inline void Retype(char letter, const QString& text) {
    AltOnTop(letter);
    Key('a', Qt::ControlModifier);
    Key(Qt::Key_Backspace);
    Type(text);
}

// The menu of window opened by Alt and the first letter, then each further letter pressed in the
// menu on top; the last letter chooses the command. A letter that only moves the highlight (two
// items share it) leaves the menu open, which fails. The window is made active first, as the
// window system does when a dialog over it closes.
inline void Menu(QWidget& window, const char* letters) {
    ASSERT_NE(letters[0], '\0');
    if (QApplication::activeWindow() != &window) {
        Activate(window);
    }
    Alt(letters[0]);
    for (const char* letter = letters + 1; *letter != '\0'; ++letter) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no menu is open for the letter " << *letter;
        QTest::keyClick(menu, *letter);
    }
    if (auto* still = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        ADD_FAILURE() << "the letters " << letters << " left the menu \""
                      << still->title().toStdString() << "\" open";
        still->close();
    }
}

// The context menu of the widget with the focus, opened as the Menu key opens it, then each
// letter pressed in the menu on top; the last letter chooses the command.
inline void ContextMenu(const char* letters) {
    QWidget* target = KeyTarget();
    ASSERT_NE(target, nullptr) << "no window takes the keys";
    const QPoint at = target->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    for (const char* letter = letters; *letter != '\0'; ++letter) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no menu is open for the letter " << *letter;
        QTest::keyClick(menu, *letter);
    }
    if (QWidget* still = QApplication::activePopupWidget()) {
        ADD_FAILURE() << "the letters " << letters << " left the context menu open";
        still->close();
    }
}

// A click on button as the user makes it: it must be shown, enabled and the control under the
// pointer at its centre.
inline void Click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible()) << button->objectName().toStdString() << " is not shown";
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString() << " is disabled";
    const QPoint centre = button->rect().center();
    QWidget* window = button->window();
    QWidget* under = window->childAt(button->mapTo(window, centre));
    ASSERT_TRUE(under == button || button->isAncestorOf(under))
        << button->objectName().toStdString() << " is covered by "
        << (under != nullptr ? under->objectName().toStdString() : std::string("nothing"));
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, centre);
}

// Waits until a window the program has just shown takes the keys, as the window system makes it
// the active one a moment after it opens.
inline void WaitUntilActive(QWidget& window) {
    EXPECT_TRUE(QTest::qWaitFor([&window] { return QApplication::activeWindow() == &window; }))
        << window.metaObject()->className() << " never became the active window";
}

}  // namespace snx::test
