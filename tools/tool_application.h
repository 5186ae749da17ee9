// The tool's network requests run on an event loop; the tool has no window, so a core
// application provides one when the process has no application yet.
#pragma once

#include <QCoreApplication>
#include <memory>

namespace snx {

class ToolApplication {
  public:
    ToolApplication() {
        if (QCoreApplication::instance() == nullptr) {
            application_ = std::make_unique<QCoreApplication>(argc_, argv_);
        }
    }

  private:
    // QCoreApplication keeps references to these for its whole life.
    int argc_ = 1;
    char name_[19] = "sonatrix-catalogue";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> application_;
};

}  // namespace snx
