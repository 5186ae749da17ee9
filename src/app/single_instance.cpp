#include "app/single_instance.h"

#include <unistd.h>
#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>

namespace snx {

namespace {

constexpr int kConnectWait = 1000;  // milliseconds; a running instance answers at once

}  // namespace

QString InstanceName() {
    return QStringLiteral("sonatrix-%1").arg(getuid());
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

bool SingleInstance::HandOver(const QStringList& arguments) const {
    QLocalSocket socket;
    socket.connectToServer(name_);
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

bool SingleInstance::Listen() {
    if (server_->listen(name_)) {
        return true;
    }
    // Nobody answered HandOver, so the socket file is a dead instance's.
    QLocalServer::removeServer(name_);
    return server_->listen(name_);
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
