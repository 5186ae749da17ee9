// Message boxes for ShowError and Confirm.
#pragma once

#include "util/user_messages.h"

class QWidget;

namespace snx {

class QtUserMessages final : public UserMessages {
  public:
    // parent may be null; the boxes are then centred on the screen. A box raised while a modal
    // dialog is open stands over that dialog instead.
    explicit QtUserMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowError(const std::string& text) override;
    bool Confirm(const std::string& text) override;

  private:
    QWidget* Owner() const;

    QWidget* parent_;
};

}  // namespace snx
