#include "terminal_messages.h"

#include <unistd.h>

#include <iostream>
#include <string>

#include "store/transaction.h"

namespace snx {

void TerminalMessages::ShowError(const std::string& text) {
    if (text == kCatalogueBusyMessage) {
        if (busy_) {
            return;  // once is enough: nothing more will be done
        }
        busy_ = true;
    }
    std::cerr << text << '\n';
}

bool TerminalMessages::Confirm(const std::string& text) {
    if (yes_) {
        return true;
    }
    if (::isatty(STDIN_FILENO) == 0) {
        std::cerr << text << " (no terminal: answered No; --yes answers Yes)\n";
        return false;
    }
    std::cerr << text << " [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

}  // namespace snx
