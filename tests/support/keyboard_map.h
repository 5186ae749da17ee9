// What a keyboard user meets in a window: each letter of its mnemonics used once, every control
// reached by Tab or by a letter and named for a screen reader, and (for a dialog) a default
// button for Enter and Escape that cancels.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextEdit>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/user_input.h"

namespace snx::test {

// The letter Alt gives a caption ("&Play" gives p), or 0 when it has none.
inline char MnemonicOf(const QString& caption) {
    const QKeySequence key = QKeySequence::mnemonic(caption);
    if (key.isEmpty()) {
        return 0;
    }
    return static_cast<char>(QChar(key[0].key()).toLower().toLatin1());
}

// Captions sharing a letter, one fault per letter used more than once.
inline void AddClashes(const std::map<char, std::vector<std::string>>& byLetter,
                       const std::string& where, std::vector<std::string>& faults) {
    for (const auto& [letter, captions] : byLetter) {
        if (captions.size() > 1) {
            std::string list;
            for (const std::string& caption : captions) {
                list += (list.empty() ? "" : ", ") + caption;
            }
            faults.push_back(where + ": the letter " + std::string(1, letter) + " is used by " +
                             list);
        }
    }
}

// The faults of one menu and its submenus.
inline std::vector<std::string> MenuFaults(const QList<QAction*>& actions,
                                           const std::string& where) {
    std::vector<std::string> faults;
    std::map<char, std::vector<std::string>> byLetter;
    for (QAction* action : actions) {
        if (action->isSeparator() || !action->isVisible()) {
            continue;
        }
        const std::string caption = action->text().toStdString();
        if (const char letter = MnemonicOf(action->text()); letter != 0) {
            byLetter[letter].push_back(caption);
        } else {
            faults.push_back(where + ": \"" + caption + "\" has no letter");
        }
        if (QMenu* sub = action->menu()) {
            const std::vector<std::string> inner =
                MenuFaults(sub->actions(), where + " > " + caption);
            faults.insert(faults.end(), inner.begin(), inner.end());
        }
    }
    AddClashes(byLetter, where, faults);
    return faults;
}

inline std::vector<std::string> MenuBarFaults(QMenuBar& bar) {
    return MenuFaults(bar.actions(), "menu bar");
}

// A control the user works with, as opposed to the parts inside one (a combo's edit box, a list's
// scroll bars).
inline bool IsControl(QWidget& widget) {
    if (qobject_cast<QScrollBar*>(&widget) != nullptr) {
        return false;
    }
    for (QWidget* parent = widget.parentWidget(); parent != nullptr;
         parent = parent->parentWidget()) {
        if (qobject_cast<QComboBox*>(parent) || qobject_cast<QAbstractSpinBox*>(parent) ||
            qobject_cast<QAbstractItemView*>(parent)) {
            return false;
        }
    }
    return qobject_cast<QAbstractButton*>(&widget) || qobject_cast<QLineEdit*>(&widget) ||
           qobject_cast<QComboBox*>(&widget) || qobject_cast<QAbstractSpinBox*>(&widget) ||
           qobject_cast<QAbstractItemView*>(&widget) || qobject_cast<QPlainTextEdit*>(&widget) ||
           qobject_cast<QTextEdit*>(&widget) || qobject_cast<QAbstractSlider*>(&widget);
}

// What a screen reader calls widget: its own name, else the caption of the label that names it.
inline QString SpokenName(QWidget& widget) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&widget);
    return iface != nullptr ? iface->text(QAccessible::Name).trimmed() : QString();
}

// The faults of a shown window's controls: letters used twice, controls neither Tab nor a letter
// reaches, controls a screen reader has no name for.
inline std::vector<std::string> WindowFaults(QWidget& window) {
    std::vector<std::string> faults;
    const std::string where = window.metaObject()->className();
    std::map<char, std::vector<std::string>> byLetter;
    std::set<QWidget*> byLetterReached;
    const auto shown = [&window](QWidget* widget) { return widget->isVisibleTo(&window); };
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (const char letter = MnemonicOf(button->text()); letter != 0 && shown(button)) {
            byLetter[letter].push_back(button->objectName().toStdString());
            byLetterReached.insert(button);
        }
    }
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (const char letter = MnemonicOf(label->text());
            letter != 0 && shown(label) && label->buddy() != nullptr) {
            byLetter[letter].push_back(label->objectName().toStdString());
            byLetterReached.insert(label->buddy());
        }
    }
    for (QGroupBox* group : window.findChildren<QGroupBox*>()) {
        if (const char letter = MnemonicOf(group->title()); letter != 0 && shown(group)) {
            byLetter[letter].push_back(group->objectName().toStdString());
            for (QWidget* inside : group->findChildren<QWidget*>()) {
                if (inside->focusPolicy() & Qt::TabFocus) {
                    byLetterReached.insert(inside);
                    break;
                }
            }
        }
    }
    for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (const char letter = MnemonicOf(tabs->tabText(i)); letter != 0 && shown(tabs)) {
                byLetter[letter].push_back(tabs->tabText(i).toStdString());
            }
        }
    }
    AddClashes(byLetter, where, faults);
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!shown(widget) || !IsControl(*widget)) {
            continue;
        }
        QWidget* focusable = widget->focusProxy() != nullptr ? widget->focusProxy() : widget;
        const bool byTab = (focusable->focusPolicy() & Qt::TabFocus) != 0;
        if (!byTab && byLetterReached.count(widget) == 0) {
            faults.push_back(where + ": neither Tab nor a letter reaches " +
                             widget->objectName().toStdString());
        }
        if (SpokenName(*widget).isEmpty()) {
            faults.push_back(where + ": a screen reader has no name for " +
                             widget->objectName().toStdString());
        }
    }
    return faults;
}

// The dialog's keyboard map checked, then Escape pressed, which must cancel it.
inline void ExpectKeyboardMap(QDialog& dialog) {
    const std::string where = dialog.metaObject()->className();
    for (const std::string& fault : WindowFaults(dialog)) {
        ADD_FAILURE() << fault;
    }
    bool withDefault = false;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        withDefault = withDefault || (button->isDefault() && button->isVisibleTo(&dialog));
    }
    EXPECT_TRUE(withDefault) << where << " has no default button";
    Key(Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()) << "Escape does not close " << where;
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << "Escape does not cancel " << where;
}

}  // namespace snx::test
