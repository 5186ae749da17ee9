// Message boxes for ShowError and Confirm.
#pragma once

#include "util/user_messages.h"

class QWidget;

namespace snx {

class QtUserMessages final : public UserMessages {
  public:
    // parent may be null; the boxes are then centred on the screen.
    explicit QtUserMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowError(const std::string& text) override;
    bool Confirm(const std::string& text) override;

  private:
    QWidget* parent_;
};

}  // namespace snx
