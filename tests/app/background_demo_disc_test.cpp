#include "app/background_demo_disc.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include "cd/demo_disc.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

// What the writer reported, once the event loop has delivered it.
struct Outcome {
    QString Cue;
    QString Error;
};

Outcome WriteInBackground(const std::filesystem::path& dataDirectory) {
    Outcome outcome;
    QEventLoop loop;
    BackgroundDemoDisc writer(dataDirectory);
    QObject::connect(&writer, &BackgroundDemoDisc::Written, &loop, [&](const QString& cue) {
        outcome.Cue = cue;
        loop.quit();
    });
    QObject::connect(&writer, &BackgroundDemoDisc::Failed, &loop, [&](const QString& error) {
        outcome.Error = error;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);  // a bound for a hung writer
    loop.exec();
    return outcome;
}

TEST(BackgroundDemoDisc, ReportsTheWholeDiscOrWhyItCouldNotBeWritten) {
    const test::TempDir data;
    const Outcome written = WriteInBackground(data.Path());
    EXPECT_EQ(written.Cue.toStdString(), DemoDiscPath(data.Path()).string());
    EXPECT_TRUE(written.Error.isEmpty());
    EXPECT_TRUE(DemoDiscPresent(data.Path()));

    // A file where its folder belongs: the failure arrives as a message, not as a crash.
    const test::TempDir blocked;
    test::WriteFileText(blocked / "demo", "");
    const Outcome failed = WriteInBackground(blocked.Path());
    EXPECT_TRUE(failed.Cue.isEmpty());
    EXPECT_FALSE(failed.Error.isEmpty());
}

}  // namespace
}  // namespace snx
