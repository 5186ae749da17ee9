// The two ways any code talks to the user: an error notice and a Yes/No question. Non-UI code
// calls the free functions; the program installs a message-box implementation, tests a script.
#pragma once

#include <string>
#include <string_view>

namespace snx {

constexpr std::size_t kMaxMessageLength = 255;

class UserMessages {
  public:
    virtual ~UserMessages() = default;
    // Beep, then a modal notice with an OK button. Receives text already cut to 255.
    virtual void ShowError(const std::string& text) = 0;
    // A modal Yes/No question; true for Yes. Receives text already cut to 255.
    virtual bool Confirm(const std::string& text) = 0;
};

// Installs the implementation that ShowError and Confirm use; nullptr restores the fallback,
// which writes to standard error and answers No. Returns the previous one.
UserMessages* SetUserMessages(UserMessages* messages);

void ShowError(std::string_view text);
bool Confirm(std::string_view text);

// Installs an implementation for the lifetime of this object.
class ScopedUserMessages {
  public:
    explicit ScopedUserMessages(UserMessages& messages) : previous_(SetUserMessages(&messages)) {}
    ~ScopedUserMessages() { SetUserMessages(previous_); }
    ScopedUserMessages(const ScopedUserMessages&) = delete;
    ScopedUserMessages& operator=(const ScopedUserMessages&) = delete;

  private:
    UserMessages* previous_;
};

}  // namespace snx
