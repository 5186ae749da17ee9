// One running program per user: the first start listens on a local socket; a later start hands
// its arguments to it and ends without a window.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace snx {

// The socket name for this user.
QString InstanceName();

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(QString name, QObject* parent = nullptr);

    // Gives the arguments to a running instance. True when one took them: this start ends.
    bool HandOver(const QStringList& arguments) const;
    // Becomes the running instance; a socket left by an instance that died is taken over.
    bool Listen();

  signals:
    // A later start's arguments (without the program name).
    void ArgumentsReceived(const QStringList& arguments);

  private:
    void Accept();

    QString name_;
    QLocalServer* server_;
};

}  // namespace snx
