#include "app/background_demo_disc.h"

#include <exception>

#include "cd/demo_disc.h"

namespace snx {

BackgroundDemoDisc::BackgroundDemoDisc(const std::filesystem::path& dataDirectory, QObject* context,
                                       Done done) {
    thread_ = std::thread([dataDirectory, context, done = std::move(done)] {
        std::string cue;
        std::string error;
        try {
            cue = EnsureDemoDisc(dataDirectory).string();
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        // Queued to the context: Qt drops it if the context is destroyed first.
        QMetaObject::invokeMethod(
            context, [done, cue, error] { done(cue, error); }, Qt::QueuedConnection);
    });
}

BackgroundDemoDisc::~BackgroundDemoDisc() {
    thread_.join();
}

}  // namespace snx
