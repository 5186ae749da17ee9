// Writes the demo disc on a worker thread, so that a first start shows its window at once and
// the disc goes in when it is whole.
#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace snx {

class BackgroundDemoDisc {
  public:
    // The cue's path once written, or why it could not be (the cue then empty).
    using Done = std::function<void(const std::string& cue, const std::string& error)>;

    // Starts writing the demo disc into the data directory; done runs afterwards on the
    // context's thread. The context outlives this object.
    BackgroundDemoDisc(const std::filesystem::path& dataDirectory, QObject* context, Done done);
    // Waits for the writing to end.
    ~BackgroundDemoDisc();
    BackgroundDemoDisc(const BackgroundDemoDisc&) = delete;
    BackgroundDemoDisc& operator=(const BackgroundDemoDisc&) = delete;

  private:
    std::thread thread_;
};

}  // namespace snx
