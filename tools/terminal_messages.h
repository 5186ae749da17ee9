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

  private:
    bool yes_;
};

}  // namespace snx
