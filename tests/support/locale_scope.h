// Puts the process under a locale that writes a decimal comma for one test and restores the one
// before, so a test that depends on the locale gives the same answer under any LC_ALL.
#pragma once

#include <clocale>
#include <string>

namespace snx::test {

class CommaLocale {
  public:
    CommaLocale() : before_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, kName) != nullptr;
    }
    ~CommaLocale() { std::setlocale(LC_ALL, before_.c_str()); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // False when the machine lacks the locale (scripts/setup generates it).
    bool Active() const { return active_; }

    static constexpr const char* kName = "de_DE.UTF-8";

  private:
    std::string before_;
    bool active_ = false;
};

}  // namespace snx::test
