// The tool's network requests run on an event loop; the tool has no window, so a core
// application (or the given kind) provides one when the process has no application yet.
#pragma once

#include <QCoreApplication>
#include <memory>

namespace snx {

template <typename Application = QCoreApplication>
class ToolApplication {
  public:
    ToolApplication() {
        if (QCoreApplication::instance() == nullptr) {
            application_ = std::make_unique<Application>(argc_, argv_);
        }
    }

  private:
    // QCoreApplication keeps references to these for its whole life.
    int argc_ = 1;
    char name_[19] = "sonatrix-catalogue";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<Application> application_;
};

}  // namespace snx
