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
    std::string Cue;
    std::string Error;
};

Outcome WriteInBackground(const std::filesystem::path& dataDirectory) {
    Outcome outcome;
    QEventLoop loop;
    const BackgroundDemoDisc writer(dataDirectory, &loop,
                                    [&](const std::string& cue, const std::string& error) {
                                        outcome = {cue, error};
                                        loop.quit();
                                    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);  // a bound for a hung writer
    loop.exec();
    return outcome;
}

TEST(BackgroundDemoDisc, ReportsTheWholeDiscOrWhyItCouldNotBeWritten) {
    const test::TempDir data;
    const Outcome written = WriteInBackground(data.Path());
    EXPECT_EQ(written.Cue, DemoDiscPath(data.Path()).string());
    EXPECT_TRUE(written.Error.empty());
    EXPECT_TRUE(DemoDiscPresent(data.Path()));

    // A file where its folder belongs: the failure arrives as a message, not as a crash.
    const test::TempDir blocked;
    test::WriteFileText(blocked / "demo", "");
    const Outcome failed = WriteInBackground(blocked.Path());
    EXPECT_TRUE(failed.Cue.empty());
    EXPECT_FALSE(failed.Error.empty());
}

}  // namespace
}  // namespace snx
