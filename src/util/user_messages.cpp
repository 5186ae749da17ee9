#include "util/user_messages.h"

#include <iostream>

#include "util/text.h"

namespace snx {

namespace {

// Used before the user interface exists and by command-line tools that set nothing else.
class StandardErrorMessages final : public UserMessages {
  public:
    void ShowError(const std::string& text) override { std::cerr << text << '\n'; }
    bool Confirm(const std::string& text) override {
        std::cerr << text << " (answered No)\n";
        return false;
    }
};

StandardErrorMessages fallback;
UserMessages* current = &fallback;

}  // namespace

UserMessages* SetUserMessages(UserMessages* messages) {
    UserMessages* previous = current;
    current = messages != nullptr ? messages : &fallback;
    return previous == &fallback ? nullptr : previous;
}

void ShowError(std::string_view text) {
    current->ShowError(CutText(text, kMaxMessageLength));
}

bool Confirm(std::string_view text) {
    return current->Confirm(CutText(text, kMaxMessageLength));
}

}  // namespace snx
