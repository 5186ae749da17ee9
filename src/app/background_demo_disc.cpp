#include "app/background_demo_disc.h"

#include <exception>

#include "cd/demo_disc.h"

namespace snx {

BackgroundDemoDisc::BackgroundDemoDisc(const std::filesystem::path& dataDirectory, QObject* parent)
    : QObject(parent) {
    thread_ = std::thread([this, dataDirectory] {
        // Queued to this object: a signal still on its way when it is destroyed is dropped.
        try {
            const QString cue = QString::fromStdString(EnsureDemoDisc(dataDirectory).string());
            QMetaObject::invokeMethod(
                this, [this, cue] { emit Written(cue); }, Qt::QueuedConnection);
        } catch (const std::exception& error) {
            const QString message = QString::fromStdString(error.what());
            QMetaObject::invokeMethod(
                this, [this, message] { emit Failed(message); }, Qt::QueuedConnection);
        }
    });
}

BackgroundDemoDisc::~BackgroundDemoDisc() {
    thread_.join();
}

}  // namespace snx
