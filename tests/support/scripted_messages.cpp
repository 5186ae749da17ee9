#include "tests/support/scripted_messages.h"

#include <gtest/gtest.h>

namespace snx::test {

// The catalogue's failures and questions go through the script as the program's do through its
// message boxes.
ScriptedMessages::ScriptedMessages()
    : previous_(SetUserMessages(this)),
      previousStore_(
          SetStoreReporting({[](const Status& status) { snx::ShowError(status.Message); },
                             [](std::string_view question) { return snx::Confirm(question); }})) {}

ScriptedMessages::~ScriptedMessages() {
    SetStoreReporting(std::move(previousStore_));
    SetUserMessages(previous_);
}

void ScriptedMessages::ShowError(const std::string& text) {
    messages_.push_back({false, text});
}

bool ScriptedMessages::Confirm(const std::string& text) {
    messages_.push_back({true, text});
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return false;
    }
    const bool answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::vector<std::string> ScriptedMessages::Errors() const {
    claimed_ = messages_.size();
    std::vector<std::string> errors;
    for (const Message& message : messages_) {
        if (!message.Question) {
            errors.push_back(message.Text);
        }
    }
    return errors;
}

std::vector<std::string> ScriptedMessages::Unclaimed() const {
    std::vector<std::string> errors;
    for (std::size_t i = claimed_; i < messages_.size(); ++i) {
        if (!messages_[i].Question) {
            errors.push_back(messages_[i].Text);
        }
    }
    return errors;
}

}  // namespace snx::test
