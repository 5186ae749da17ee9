#include "widgets/image_control_accessible.h"

#include <QAccessibleWidget>
#include <QVariant>
#include <map>

#include "widgets/image_control.h"

namespace snx {

namespace {

// One drawn item: it has no widget, so it lives in Qt's interface cache until its control goes.
class AccessibleItem final : public QAccessibleInterface,
                             public QAccessibleValueInterface,
                             public QAccessibleActionInterface {
  public:
    AccessibleItem(QAccessibleInterface* owner, const ImageControl* control, int item)
        : owner_(owner), control_(control), item_(item) {}

    bool isValid() const override {
        const ImageControlAccess& access = control_->Access();
        return access.ItemCount && item_ < access.ItemCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_->window(); }
    QAccessibleInterface* parent() const override { return owner_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QRect rect() const override { return owner_->rect(); }
    QAccessible::Role role() const override { return control_->Access().ItemRole; }
    void setText(QAccessible::Text, const QString&) override {}
    QString text(QAccessible::Text t) const override {
        const ImageControlAccess& access = control_->Access();
        if (t == QAccessible::Name && access.ItemName && isValid()) {
            return access.ItemName(item_);
        }
        return {};
    }
    QAccessible::State state() const override {
        const ImageControlAccess& access = control_->Access();
        QAccessible::State result;
        result.selectable = access.ItemCurrent != nullptr;
        result.selected = access.ItemCurrent && isValid() && access.ItemCurrent(item_);
        result.focusable = access.ItemFocused != nullptr;
        result.focused =
            access.ItemFocused && isValid() && access.ItemFocused(item_) && control_->hasFocus();
        return result;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        const ImageControlAccess& access = control_->Access();
        if (type == QAccessible::ValueInterface && access.ItemValue) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        if (type == QAccessible::ActionInterface && access.ActivateItem) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }

    // Values are shown, not set: the control's own keys and presses change them.
    QVariant currentValue() const override {
        return isValid() ? QVariant(control_->Access().ItemValue(item_)) : QVariant();
    }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return control_->Access().ItemMaximum; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return control_->Access().ItemStep; }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid()) {
            control_->Access().ActivateItem(item_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QAccessibleInterface* owner_;
    const ImageControl* control_;
    int item_;
};

class AccessibleImageControl final : public QAccessibleWidget {
  public:
    explicit AccessibleImageControl(ImageControl* control)
        : QAccessibleWidget(control, control->Access().Role) {}
    ~AccessibleImageControl() override {
        for (const auto& [item, id] : items_) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    QAccessible::Role role() const override { return Control()->Access().Role; }
    QString text(QAccessible::Text t) const override {
        const ImageControlAccess& access = Control()->Access();
        if (t == QAccessible::Name && access.Name) {
            return access.Name();
        }
        if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty()) {
            return widget()->toolTip();
        }
        return QAccessibleWidget::text(t);
    }
    int childCount() const override {
        const ImageControlAccess& access = Control()->Access();
        return access.ItemCount ? access.ItemCount() : 0;
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        auto found = items_.find(index);
        if (found == items_.end()) {
            auto* item =
                new AccessibleItem(const_cast<AccessibleImageControl*>(this), Control(), index);
            found = items_.emplace(index, QAccessible::registerAccessibleInterface(item)).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOfChild(const QAccessibleInterface* wanted) const override {
        for (const auto& [item, id] : items_) {
            if (QAccessible::accessibleInterface(id) == wanted) {
                return item < childCount() ? item : -1;
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override {
        const ImageControlAccess& access = Control()->Access();
        if (access.ItemFocused && widget()->hasFocus()) {
            for (int i = 0; i < childCount(); ++i) {
                if (access.ItemFocused(i)) {
                    return child(i);
                }
            }
        }
        return QAccessibleWidget::focusChild();
    }

  private:
    const ImageControl* Control() const { return static_cast<const ImageControl*>(object()); }

    mutable std::map<int, QAccessible::Id> items_;
};

QAccessibleInterface* MakeInterface(const QString&, QObject* object) {
    if (auto* control = qobject_cast<ImageControl*>(object)) {
        return new AccessibleImageControl(control);
    }
    return nullptr;
}

}  // namespace

void InstallImageControlAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(MakeInterface);
        return true;
    }();
    (void)installed;
}

}  // namespace snx
