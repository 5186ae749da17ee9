#include "widgets/image_control_accessible.h"

#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>
#include <map>
#include <memory>

namespace snx {

namespace {

// Holds a widget's description as its child, so it goes with the widget; the interfaces share it,
// so one Qt still holds while the widget is torn down stays valid.
class AccessHolder final : public QObject {
  public:
    explicit AccessHolder(QWidget& widget) : QObject(&widget) {}
    const std::shared_ptr<ImageControlAccess> Access = std::make_shared<ImageControlAccess>();
};

AccessHolder* HolderOf(QObject& object) {
    for (QObject* child : object.children()) {
        if (auto* holder = dynamic_cast<AccessHolder*>(child)) {
            return holder;
        }
    }
    return nullptr;
}

// One drawn item: it has no widget, so it lives in Qt's interface cache until its control goes.
class AccessibleItem final : public QAccessibleInterface,
                             public QAccessibleValueInterface,
                             public QAccessibleActionInterface {
  public:
    AccessibleItem(QAccessibleInterface* owner, const QWidget* control,
                   std::shared_ptr<const ImageControlAccess> access, int item)
        : owner_(owner), control_(control), access_(std::move(access)), item_(item) {}

    bool isValid() const override { return access_->ItemCount && item_ < access_->ItemCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_->window(); }
    QAccessibleInterface* parent() const override { return owner_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QRect rect() const override { return owner_->rect(); }
    QAccessible::Role role() const override { return access_->ItemRole; }
    void setText(QAccessible::Text, const QString&) override {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && access_->ItemName && isValid()) {
            return access_->ItemName(item_);
        }
        return {};
    }
    QAccessible::State state() const override {
        QAccessible::State result;
        result.selectable = access_->ItemCurrent != nullptr;
        result.selected = access_->ItemCurrent && isValid() && access_->ItemCurrent(item_);
        result.focusable = access_->ItemFocused != nullptr;
        result.focused = access_->ItemFocused && isValid() && access_->ItemFocused(item_) &&
                         control_->hasFocus();
        return result;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && access_->ItemValue) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        if (type == QAccessible::ActionInterface && access_->ActivateItem) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }

    // Values are shown, not set: the control's own keys and presses change them.
    QVariant currentValue() const override {
        return isValid() ? QVariant(access_->ItemValue(item_)) : QVariant();
    }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return access_->ItemMaximum; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return access_->ItemStep; }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid()) {
            access_->ActivateItem(item_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QAccessibleInterface* owner_;
    const QWidget* control_;
    std::shared_ptr<const ImageControlAccess> access_;
    int item_;
};

class AccessibleImageControl final : public QAccessibleWidget {
  public:
    AccessibleImageControl(QWidget* control, std::shared_ptr<const ImageControlAccess> access)
        : QAccessibleWidget(control, access->Role), access_(std::move(access)) {}
    ~AccessibleImageControl() override {
        for (const auto& [item, id] : items_) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    QAccessible::Role role() const override { return access_->Role; }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && access_->Name) {
            return access_->Name();
        }
        if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty()) {
            return widget()->toolTip();
        }
        return QAccessibleWidget::text(t);
    }
    // Without items, the widget's own children (the lines inside a panel).
    int childCount() const override {
        return access_->ItemCount ? access_->ItemCount() : QAccessibleWidget::childCount();
    }
    QAccessibleInterface* child(int index) const override {
        if (!access_->ItemCount) {
            return QAccessibleWidget::child(index);
        }
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        auto found = items_.find(index);
        if (found == items_.end()) {
            auto* item = new AccessibleItem(const_cast<AccessibleImageControl*>(this), widget(),
                                            access_, index);
            found = items_.emplace(index, QAccessible::registerAccessibleInterface(item)).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOfChild(const QAccessibleInterface* wanted) const override {
        if (!access_->ItemCount) {
            return QAccessibleWidget::indexOfChild(wanted);
        }
        for (const auto& [item, id] : items_) {
            if (QAccessible::accessibleInterface(id) == wanted) {
                return item < childCount() ? item : -1;
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        return access_->ItemCount ? nullptr : QAccessibleWidget::childAt(x, y);
    }
    QAccessibleInterface* focusChild() const override {
        if (access_->ItemFocused && widget()->hasFocus()) {
            for (int i = 0; i < childCount(); ++i) {
                if (access_->ItemFocused(i)) {
                    return child(i);
                }
            }
        }
        return QAccessibleWidget::focusChild();
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (access_->Press) {
            names.prepend(pressAction());
        }
        return names;
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && access_->Press) {
            if (widget()->isEnabled()) {
                access_->Press();
            }
            return;
        }
        QAccessibleWidget::doAction(name);
    }

  private:
    std::shared_ptr<const ImageControlAccess> access_;
    mutable std::map<int, QAccessible::Id> items_;
};

QAccessibleInterface* MakeInterface(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    if (AccessHolder* holder = HolderOf(*widget)) {
        return new AccessibleImageControl(widget, holder->Access);
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

ImageControlAccess& ReaderAccess(QWidget& widget) {
    InstallImageControlAccessibility();
    AccessHolder* holder = HolderOf(widget);
    if (holder == nullptr) {
        holder = new AccessHolder(widget);
        // Qt keeps the first interface it made (naming a widget makes one): that one goes, so
        // the next question finds this description.
        QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&widget);
        if (made != nullptr && dynamic_cast<AccessibleImageControl*>(made) == nullptr) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
        }
    }
    return *holder->Access;
}

void AnnounceName(QWidget& widget) {
    QAccessibleEvent changed(&widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void AnnounceValues(QWidget& widget) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleInterface* control = QAccessible::queryAccessibleInterface(&widget);
    for (int item = 0; control != nullptr && item < control->childCount(); ++item) {
        QAccessibleInterface* child = control->child(item);
        if (QAccessibleValueInterface* value = child->valueInterface()) {
            QAccessibleValueChangeEvent changed(child, value->currentValue());
            QAccessible::updateAccessibility(&changed);
        }
    }
}

void DescribeVolumeChannels(ImageControlAccess& access, std::function<int(int channel)> value,
                            int maximum, int step) {
    access.ItemRole = QAccessible::Slider;
    access.ItemCount = [] { return 2; };
    access.ItemName = [](int item) {
        return item == 0 ? QStringLiteral("Left volume") : QStringLiteral("Right volume");
    };
    access.ItemValue = std::move(value);
    access.ItemMaximum = maximum;
    access.ItemStep = step;
}

}  // namespace snx
