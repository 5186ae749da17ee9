// A UserMessages for tests: records every text it is shown and answers questions from a queue.
// A question with no answer queued fails the test and answers No. A test claims the messages
// shown so far by reading them; Unclaimed() names the errors it never looked at.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "store/status.h"
#include "util/user_messages.h"

namespace snx::test {

class ScriptedMessages final : public UserMessages {
  public:
    struct Message {
        bool Question = false;
        std::string Text;
        bool operator==(const Message&) const = default;
    };

    // Installs itself for its lifetime.
    ScriptedMessages();
    ~ScriptedMessages() override;

    void Answer(bool yes) { answers_.push_back(yes); }

    void ShowError(const std::string& text) override;
    bool Confirm(const std::string& text) override;

    const std::vector<Message>& Messages() const {
        claimed_ = messages_.size();
        return messages_;
    }
    std::vector<std::string> Errors() const;
    // The errors shown since the test last read the messages.
    std::vector<std::string> Unclaimed() const;
    std::size_t UnusedAnswers() const { return answers_.size(); }

  private:
    std::vector<Message> messages_;
    mutable std::size_t claimed_ = 0;
    std::deque<bool> answers_;
    UserMessages* previous_;
    StoreReporting previousStore_;
};

}  // namespace snx::test
