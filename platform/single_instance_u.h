#pragma once
// One running copy per user session, and the hand-off of a text from a second
// start (or another program) to that copy. A lock file keeps the claim (a
// killed holder's lock is taken over); a local socket next to it carries the
// hand-off packet, and the sender waits until the running copy acknowledges.
// Both are named after the executable and the user, in the user's private
// runtime folder.
#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

struct THandOffPacket
{
    qint64 Handle = 0;     // the window the sender addressed (HANDLE/MAIN_FORM)
    quint32 DwData = 0;
    QByteArray Data;       // raw bytes as sent, at most the size limit
};

class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxData = 4096;   // longer texts are cut
    static constexpr int kIdleMs = 3000;    // a peer that sends no complete packet is dropped after this

    // name: see InstanceName; runtimeDir: the user's private runtime folder.
    TSingleInstance(const QString& name, const QString& runtimeDir, QObject* parent = nullptr);

    // The executable's file name and the user's login name: "kuruten3-taro".
    static QString InstanceName(const QString& exeName);
    ~TSingleInstance() override;

    // True when this copy now holds the claim; it then accepts hand-offs.
    bool TryAcquire();
    void Release();

    // Called on the main thread for every complete packet, from the event
    // loop (never inside the socket's own signals). The sender is answered
    // once it returns, or as soon as it waits for anything (a message box,
    // a pause): the packet has been taken by then.
    std::function<void(const THandOffPacket&)> OnPacket;
    std::function<void(const QString&)> OnLog;

    // Foreign: the listening copy belongs to another user; nothing was sent.
    enum class TSendResult { Ok, NoListener, Timeout, Failed, Foreign };
    static TSendResult Send(const QString& name, const QString& runtimeDir, const THandOffPacket& packet,
                            int timeoutMs);
    static QByteArray Encode(const THandOffPacket& packet);

    QString SocketPath() const { return FSocketPath; }

private:
    void NewConnection();
    void ReadFrom(QLocalSocket* socket);
    void Dispatch(const THandOffPacket& packet, QLocalSocket* socket);
    void Log(const QString& s) const;

    QString FSocketPath;
    QLockFile FLock;
    std::unique_ptr<QLocalServer> FServer;
};
