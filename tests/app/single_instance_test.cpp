#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstring>
#include <functional>

#include "tests/support/temp_dir.h"

namespace snx {
namespace {

constexpr int kProcessWait = 20000;  // milliseconds; a bound for a hung program, not a timing

// Sets an environment variable (nullptr unsets it) for one scope.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        value != nullptr ? qputenv(name, value) : qunsetenv(name);
    }
    ~ScopedEnvironment() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// The socket lives in a private runtime directory, which keeps a player the user is running out
// of the test.
class SingleInstanceTest : public ::testing::Test {
  protected:
    SingleInstanceTest() : runtime_("XDG_RUNTIME_DIR", dir.Path().c_str()) {}

    // Starts the program as a later start would be started.
    void StartSecond(QProcess& second, const QStringList& arguments) {
        second.start(QStringLiteral(SONATRIX_PROGRAM),
                     arguments + QStringList{QStringLiteral("--data-dir"),
                                             QString::fromStdString((dir / "data").string())});
        ASSERT_TRUE(second.waitForStarted());
    }
    // Runs this process's event loop (which answers the handover) until done() holds.
    static void SpinUntil(const std::function<bool()>& done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < kProcessWait) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }
    static void ExpectEndedWell(QProcess& second) {
        EXPECT_EQ(second.state(), QProcess::NotRunning);
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        if (second.state() != QProcess::NotRunning) {
            second.kill();
            second.waitForFinished();
        }
    }
    // True when the process has a file open that is this one.
    static bool HasOpen(qint64 pid, const std::filesystem::path& file) {
        std::error_code error;
        for (const auto& fd :
             std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
            if (std::filesystem::read_symlink(fd.path(), error) == file) {
                return true;
            }
        }
        return false;
    }

    test::TempDir dir;

  private:
    ScopedEnvironment runtime_;
};

TEST_F(SingleInstanceTest, SecondStartHandsItsArgumentsToTheFirstAndEnds) {
    SingleInstance first(dir.Path());
    ASSERT_EQ(first.HandOverOrRun({}), SingleInstance::Outcome::Running);
    QStringList received;
    QObject::connect(&first, &SingleInstance::ArgumentsReceived,
                     [&received](const QStringList& arguments) { received = arguments; });

    QProcess second;
    // What it cannot use is ignored with one warning; the rest still goes to the player.
    StartSecond(second, {QStringLiteral("/p"), QStringLiteral("foo")});
    SpinUntil([&] {
        second.waitForFinished(5);
        return !received.isEmpty() && second.state() == QProcess::NotRunning;
    });
    ExpectEndedWell(second);
    EXPECT_EQ(received, QStringList{QStringLiteral("/P")});
    EXPECT_EQ(second.readAllStandardError().toStdString(),
              "sonatrix: ignored: foo (not a disc image or drive)\n");
    // The second start made no data directory: it ended before looking for its data.
    EXPECT_FALSE(std::filesystem::exists(dir / "data"));
}

TEST_F(SingleInstanceTest, AStartWhileAnotherIsStartingWaitsForItsSocketAndHandsOver) {
    SingleInstance first(dir.Path());
    ASSERT_TRUE(first.Claim());  // started, not yet listening
    QStringList received;
    QObject::connect(&first, &SingleInstance::ArgumentsReceived,
                     [&received](const QStringList& arguments) { received = arguments; });
    QProcess second;
    StartSecond(second, {QStringLiteral("--play")});
    // Once it holds the lock file open it has found no socket and the lock taken.
    SpinUntil([&] {
        return HasOpen(second.processId(), dir / "sonatrix.lock") ||
               second.state() == QProcess::NotRunning;
    });
    ASSERT_EQ(second.state(), QProcess::Running) << second.readAllStandardError().toStdString();

    ASSERT_TRUE(first.Listen());
    SpinUntil([&] {
        second.waitForFinished(5);
        return !received.isEmpty() && second.state() == QProcess::NotRunning;
    });
    ExpectEndedWell(second);
    EXPECT_EQ(received, QStringList{QStringLiteral("/P")});
    EXPECT_EQ(second.readAllStandardError().toStdString(), "");
}

TEST_F(SingleInstanceTest, ADeadInstancesSocketIsTakenOverAndALiveOneKept) {
    // A socket file whose program died without removing it.
    const std::string path = (dir / "sonatrix.socket").string();
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);
    }
    ASSERT_TRUE(std::filesystem::exists(path));
    SingleInstance next(dir.Path());
    ASSERT_EQ(next.HandOverOrRun({}), SingleInstance::Outcome::Running);

    // Another start cannot take the lock, so it never touches the running one's socket.
    SingleInstance other(dir.Path());
    EXPECT_FALSE(other.Claim());
    QStringList received;
    QObject::connect(&next, &SingleInstance::ArgumentsReceived,
                     [&received](const QStringList& arguments) { received = arguments; });
    EXPECT_EQ(other.HandOverOrRun({QStringLiteral("/P")}), SingleInstance::Outcome::HandedOver);
    SpinUntil([&] { return !received.isEmpty(); });
    EXPECT_EQ(received, QStringList{QStringLiteral("/P")});
}

TEST(InstanceDirectory, IsTheRuntimeDirectoryElseAPrivateOneInTheTemporaryDirectory) {
    const test::TempDir dir;
    {
        const ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/run/user/4242");
        EXPECT_EQ(InstanceDirectory(), std::filesystem::path("/run/user/4242"));
    }
    const ScopedEnvironment runtime("XDG_RUNTIME_DIR", nullptr);
    const ScopedEnvironment temporary("TMPDIR", dir.Path().c_str());
    const std::filesystem::path own = dir / ("sonatrix-" + std::to_string(::getuid()));
    EXPECT_EQ(InstanceDirectory(), own);
    struct stat status {};
    ASSERT_EQ(::stat(own.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700U);

    // Open to others, or a link to somewhere else: no socket goes there.
    ::chmod(own.c_str(), 0777);
    EXPECT_EQ(InstanceDirectory(), std::nullopt);
    std::filesystem::remove(own);
    std::filesystem::create_directory(dir / "elsewhere");
    ::chmod((dir / "elsewhere").c_str(), 0700);
    std::filesystem::create_directory_symlink(dir / "elsewhere", own);
    EXPECT_EQ(InstanceDirectory(), std::nullopt);
}

}  // namespace
}  // namespace snx
