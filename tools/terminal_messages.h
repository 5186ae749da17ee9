// Messages of the command-line tools: errors to standard error, questions on the terminal.
#pragma once

#include "util/user_messages.h"

namespace snx {

class TerminalMessages final : public UserMessages {
  public:
    // yes: every question is answered Yes without asking. Otherwise a question is asked on the
    // terminal, and answered No when there is none.
    explicit TerminalMessages(bool yes) : yes_(yes) {}
    void ShowError(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    // Whether another program's lock kept the catalogue from this one.
    bool RefusedBusy() const { return busy_; }

  private:
    bool yes_;
    bool busy_ = false;
};

}  // namespace snx
