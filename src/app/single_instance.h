// One running program per user: the first start listens on a local socket in the user's runtime
// directory; a later start hands its arguments to it and ends without a window. A lock file
// beside the socket, held for the running instance's life, decides who runs when two start at
// once.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>

class QLocalServer;

namespace snx {

// This user's directory for the socket and its lock: $XDG_RUNTIME_DIR, else "sonatrix-UID" in
// the temporary directory, made private to the user. nullopt when that directory is not the
// user's alone (another owner, a link, open to others), which no socket may share.
std::optional<std::filesystem::path> InstanceDirectory();

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(const std::filesystem::path& directory, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Outcome { HandedOver, Running, NoAnswer, CannotListen };
    // Hands the arguments to the running instance, waiting for one that is starting; when none
    // runs, this one becomes it. NoAnswer: another start holds the lock but never listened.
    // CannotListen: this one runs, but a later start will not find it (see ListenError).
    Outcome HandOverOrRun(const QStringList& arguments);
    QString ListenError() const;

    // Gives the arguments to a listening instance. True when one took them.
    bool HandOver(const QStringList& arguments) const;
    // Takes the lock that only the running (or starting) instance holds. False while another
    // holds it.
    bool Claim();
    // Requires: Claim() succeeded. A socket file left behind is a dead instance's, since every
    // live one holds the lock: it is replaced.
    bool Listen();

  signals:
    // A later start's arguments (without the program name).
    void ArgumentsReceived(const QStringList& arguments);

  private:
    void Accept();

    QString socket_;
    std::filesystem::path lockFile_;
    int lock_ = -1;
    QLocalServer* server_;
};

}  // namespace snx
