// What a picture control (or a button with values) tells assistive technology: its role, a live
// name, and the items it draws (tracks of the track panel, channels of the volume control), which
// a reader sees as children with a name, a current state, a value or an action.
#pragma once

#include <QAccessible>
#include <QString>
#include <functional>
#include <optional>

namespace snx {

struct ImageControlAccess {
    QAccessible::Role Role = QAccessible::Graphic;
    // The name as it is now; unset: the widget's accessible name.
    std::function<QString()> Name;

    QAccessible::Role ItemRole = QAccessible::ListItem;
    std::function<int()> ItemCount;
    std::function<QString(int item)> ItemName;
    // The playing track of a list; the item the keyboard is on.
    std::function<bool(int item)> ItemCurrent;
    std::function<bool(int item)> ItemFocused;
    // Items with a value (0 to ItemMaximum); unset: items have none.
    std::function<int(int item)> ItemValue;
    int ItemMaximum = 0;
    int ItemStep = 1;
    // Pressing the item (a reader's "activate"); unset: items have no action.
    std::function<void(int item)> ActivateItem;
    // Pressing the control itself (a button's click); unset: it has no press action.
    std::function<void()> Press;
};

}  // namespace snx
