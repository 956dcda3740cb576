#pragma once
// One running copy per user session, and the hand-off of a text from a second
// start (or another program) to that copy. A lock file keeps the claim (a
// killed holder's lock is taken over); a local socket next to it carries the
// hand-off packet, and the sender waits until the running copy acknowledges.
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
    static constexpr int kIdleMs = 3000;    // a silent peer is dropped after this

    // name: the executable's file name; runtimeDir: the user session's folder.
    TSingleInstance(const QString& name, const QString& runtimeDir, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // True when this copy now holds the claim; it then accepts hand-offs.
    bool TryAcquire();
    void Release();

    // Called on the main thread for every complete packet; the sender is
    // answered once it returns.
    std::function<void(const THandOffPacket&)> OnPacket;
    std::function<void(const QString&)> OnLog;

    enum class TSendResult { Ok, NoListener, Timeout, Failed };
    static TSendResult Send(const QString& name, const QString& runtimeDir, const THandOffPacket& packet,
                            int timeoutMs);
    static QByteArray Encode(const THandOffPacket& packet);

    QString SocketPath() const { return FSocketPath; }

private:
    void NewConnection();
    void ReadFrom(QLocalSocket* socket);
    void Log(const QString& s) const;

    QString FSocketPath;
    QLockFile FLock;
    std::unique_ptr<QLocalServer> FServer;
};
