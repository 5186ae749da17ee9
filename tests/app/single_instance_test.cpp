#include "app/single_instance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include "tests/support/temp_dir.h"

namespace snx {
namespace {

// Local sockets live in the temporary directory: a private one keeps a player the user is
// running out of the test.
class SingleInstanceTest : public ::testing::Test {
  protected:
    SingleInstanceTest()
        : hadTmp_(qEnvironmentVariableIsSet("TMPDIR")), oldTmp_(qgetenv("TMPDIR")) {
        qputenv("TMPDIR", QByteArray::fromStdString(dir.Path().string()));
    }
    ~SingleInstanceTest() override {
        if (hadTmp_) {
            qputenv("TMPDIR", oldTmp_);
        } else {
            qunsetenv("TMPDIR");
        }
    }

    test::TempDir dir;

  private:
    bool hadTmp_;
    QByteArray oldTmp_;
};

TEST_F(SingleInstanceTest, SecondStartHandsItsArgumentsToTheFirstAndEnds) {
    SingleInstance first(InstanceName());
    ASSERT_TRUE(first.Listen());
    QStringList received;
    QObject::connect(&first, &SingleInstance::ArgumentsReceived,
                     [&received](const QStringList& arguments) { received = arguments; });

    QProcess second;
    second.start(QStringLiteral(SONATRIX_PROGRAM),
                 {QStringLiteral("/P"), QStringLiteral("--data-dir"),
                  QString::fromStdString((dir.Path() / "data").string())});
    ASSERT_TRUE(second.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    // The handover needs this process's event loop to answer; the wait is bounded, not timed.
    while ((received.isEmpty() || second.state() != QProcess::NotRunning) &&
           waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        second.waitForFinished(10);
    }
    EXPECT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(received.value(0), QStringLiteral("/P"));
    // The second start made no data directory: it ended before looking for its data.
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "data"));
}

TEST_F(SingleInstanceTest, NobodyListeningMeansThisStartRunsAndTakesOverTheSocket) {
    {
        SingleInstance gone(InstanceName());
        ASSERT_TRUE(gone.Listen());
    }
    const SingleInstance next(InstanceName());
    EXPECT_FALSE(next.HandOver({QStringLiteral("/P")}));
    SingleInstance again(InstanceName());
    EXPECT_TRUE(again.Listen());
}

}  // namespace
}  // namespace snx
