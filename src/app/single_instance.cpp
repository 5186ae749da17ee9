#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDataStream>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace snx {

namespace {

constexpr int kConnectWait = 1000;  // milliseconds; a running instance answers at once
// How long a start waits for another start, which holds the lock, to listen. It only sets up
// its socket before that, so this bounds a hung process, not a slow one.
constexpr int kStartWait = 20000;
constexpr int kRetryPause = 20;

}  // namespace

std::optional<std::filesystem::path> InstanceDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && runtime[0] == '/') {
        return std::filesystem::path(runtime);
    }
    const char* temporary = std::getenv("TMPDIR");
    const std::filesystem::path base =
        temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp";
    const std::filesystem::path directory = base / ("sonatrix-" + std::to_string(::getuid()));
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        return std::nullopt;
    }
    // Made by someone else first, or a link planted there: not ours to put a socket in.
    struct stat status {};
    if (::lstat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid() || (status.st_mode & 077) != 0) {
        return std::nullopt;
    }
    return directory;
}

SingleInstance::SingleInstance(const std::filesystem::path& directory, QObject* parent)
    : QObject(parent),
      socket_(QString::fromStdString((directory / "sonatrix.socket").string())),
      lockFile_(directory / "sonatrix.lock"),
      server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

SingleInstance::~SingleInstance() {
    server_->close();
    if (lock_ >= 0) {
        ::close(lock_);
    }
}

SingleInstance::Outcome SingleInstance::HandOverOrRun(const QStringList& arguments) {
    QElapsedTimer waited;
    waited.start();
    while (true) {
        if (HandOver(arguments)) {
            return Outcome::HandedOver;
        }
        if (Claim()) {
            return Listen() ? Outcome::Running : Outcome::CannotListen;
        }
        // Another start holds the lock and is about to listen.
        if (waited.elapsed() > kStartWait) {
            return Outcome::NoAnswer;
        }
        QThread::msleep(kRetryPause);
    }
}

bool SingleInstance::HandOver(const QStringList& arguments) const {
    QLocalSocket socket;
    socket.connectToServer(socket_);
    if (!socket.waitForConnected(kConnectWait)) {
        return false;
    }
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << arguments;
    socket.write(message);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kConnectWait);
    }
    return true;
}

bool SingleInstance::Claim() {
    if (lock_ < 0) {
        // Not inherited by programs this one starts, which would otherwise hold it after us.
        lock_ = ::open(lockFile_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock_ < 0) {
            return false;
        }
    }
    return ::flock(lock_, LOCK_EX | LOCK_NB) == 0;
}

bool SingleInstance::Listen() {
    QLocalServer::removeServer(socket_);
    return server_->listen(socket_);
}

QString SingleInstance::ListenError() const {
    return socket_ + QStringLiteral(": ") + server_->errorString();
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            QStringList arguments;
            QDataStream stream(socket->readAll());
            stream >> arguments;
            socket->deleteLater();
            if (stream.status() == QDataStream::Ok) {
                emit ArgumentsReceived(arguments);
            }
        });
    }
}

}  // namespace snx
