#include "single_instance_u.h"

#include "os_info_u.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr char kMagic[] = "KRT1";
constexpr int kHeader = 4 + 8 + 4 + 4;
constexpr quint32 kMaxWire = 1024 * 1024; // beyond this the peer is not one of ours

QString BasePath(const QString& name, const QString& runtimeDir)
{
    return runtimeDir + QLatin1Char('/') + name;
}

// The process at the other end of a connected local socket runs as this
// user. Anyone may listen where a copy of ours is expected.
bool PeerIsThisUser(const QLocalSocket& socket)
{
#ifdef SO_PEERCRED
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
    return cred.uid == ::geteuid();
#else
    Q_UNUSED(socket);
    return true;
#endif
}
} // namespace

QString TSingleInstance::InstanceName(const QString& exeName)
{
    QString user = OsInfo::UserName();
    user.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (user.isEmpty()) user = QString::number(::geteuid());
    return exeName + QLatin1Char('-') + user;
}

TSingleInstance::TSingleInstance(const QString& name, const QString& runtimeDir, QObject* parent)
    : QObject(parent), FSocketPath(BasePath(name, runtimeDir) + QStringLiteral(".sock")),
      FLock(BasePath(name, runtimeDir) + QStringLiteral(".lock"))
{
    // A live holder's lock never ages out; a dead holder's is taken over.
    FLock.setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance()
{
    Release();
}

bool TSingleInstance::TryAcquire()
{
    if (!FLock.tryLock(0)) return false;
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(FSocketPath);
    if (!FServer->listen(FSocketPath)) {
        Log(QStringLiteral("TSingleInstance.TryAcquire listen failed: ") + FServer->errorString());
        // Still the only copy: it just cannot take hand-offs.
    }
    connect(FServer.get(), &QLocalServer::newConnection, this, &TSingleInstance::NewConnection);
    return true;
}

void TSingleInstance::Release()
{
    if (FServer) {
        FServer->close();
        FServer.reset();
    }
    if (FLock.isLocked()) FLock.unlock();
}

void TSingleInstance::Log(const QString& s) const
{
    if (OnLog) OnLog(s);
}

void TSingleInstance::NewConnection()
{
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        // Only until the packet is in; its handling may take longer.
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [this, socket] {
            Log(QStringLiteral("TSingleInstance: hand-off peer sent no complete packet, dropped"));
            socket->abort();
        });
        idle->start(kIdleMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0) ReadFrom(socket);
    }
}

void TSingleInstance::ReadFrom(QLocalSocket* socket)
{
    if (socket->property("done").toBool()) {
        socket->readAll();
        return;
    }
    if (socket->bytesAvailable() < kHeader) return;
    const QByteArray head = socket->peek(kHeader);
    if (!head.startsWith(kMagic)) {
        Log(QStringLiteral("TSingleInstance: hand-off packet malformed, dropped"));
        socket->setProperty("done", true);
        socket->abort();
        return;
    }
    QDataStream ds(head.mid(4));
    ds.setByteOrder(QDataStream::BigEndian);
    THandOffPacket p;
    quint32 cb = 0;
    ds >> p.Handle >> p.DwData >> cb;
    if (cb > kMaxWire) {
        Log(QStringLiteral("TSingleInstance: hand-off packet too large (%1 bytes), dropped").arg(cb));
        socket->setProperty("done", true);
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < kHeader + qint64(cb)) return;
    socket->read(kHeader);
    p.Data = socket->read(cb);
    socket->setProperty("done", true);
    if (auto* idle = socket->findChild<QTimer*>()) idle->stop();
    if (p.Data.size() > kMaxData) {
        Log(QStringLiteral("TSingleInstance: hand-off text of %1 bytes cut to %2").arg(p.Data.size()).arg(kMaxData));
        qsizetype cut = kMaxData;
        // Do not leave half a UTF-8 character at the end.
        while (cut > 0 && (quint8(p.Data.at(cut)) & 0xC0) == 0x80) --cut;
        p.Data.truncate(cut);
    }
    // Handled from the event loop: the handler may open a message box whose
    // event loop ends this connection, and the socket's signal must not be
    // on the stack then.
    QPointer<QLocalSocket> guard(socket);
    QMetaObject::invokeMethod(
        this, [this, p, guard] { Dispatch(p, guard); }, Qt::QueuedConnection);
}

void TSingleInstance::Dispatch(const THandOffPacket& packet, QLocalSocket* socket)
{
    QPointer<QLocalSocket> guard(socket);
    auto answered = std::make_shared<bool>(false);
    auto answer = [guard, answered] {
        if (*answered) return;
        *answered = true;
        // The sender may have given up and gone meanwhile.
        if (!guard || guard->state() != QLocalSocket::ConnectedState) return;
        guard->write("OK\n");
        guard->flush();
        guard->disconnectFromServer();
    };
    // A handler that waits (a box, a pause) runs an event loop, and the zero
    // timer answers from there: the command has been taken by then.
    QTimer::singleShot(0, this, answer);
    if (OnPacket) OnPacket(packet);
    answer();
}

QByteArray TSingleInstance::Encode(const THandOffPacket& packet)
{
    QByteArray out;
    QDataStream ds(&out, QIODevice::WriteOnly);
    ds.setByteOrder(QDataStream::BigEndian);
    ds.writeRawData(kMagic, 4);
    ds << packet.Handle << packet.DwData << quint32(packet.Data.size());
    ds.writeRawData(packet.Data.constData(), int(packet.Data.size()));
    return out;
}

TSingleInstance::TSendResult TSingleInstance::Send(const QString& name, const QString& runtimeDir,
                                                   const THandOffPacket& packet, int timeoutMs)
{
    const QString path = BasePath(name, runtimeDir) + QStringLiteral(".sock");
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    // The running copy may be between taking the lock and listening: retry briefly.
    for (;;) {
        socket.connectToServer(path);
        if (socket.waitForConnected(500)) break;
        if (clock.elapsed() > qMin(timeoutMs, 2000)) return TSendResult::NoListener;
        QThread::msleep(50);
    }
    if (!PeerIsThisUser(socket)) return TSendResult::Foreign;
    const QByteArray bytes = Encode(packet);
    if (socket.write(bytes) != bytes.size()) return TSendResult::Failed;
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(qMax(1, timeoutMs - int(clock.elapsed())))) return TSendResult::Timeout;
    QByteArray reply;
    while (!reply.contains('\n')) {
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0) return TSendResult::Timeout;
        if (!socket.waitForReadyRead(left)) {
            if (socket.state() != QLocalSocket::ConnectedState && reply.isEmpty()) return TSendResult::Failed;
            if (clock.elapsed() >= timeoutMs) return TSendResult::Timeout;
        }
        reply += socket.readAll();
        if (socket.state() != QLocalSocket::ConnectedState && !reply.contains('\n'))
            return reply.isEmpty() ? TSendResult::Failed : TSendResult::Ok;
    }
    return reply.startsWith("OK") ? TSendResult::Ok : TSendResult::Failed;
}
