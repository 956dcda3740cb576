#include "udp_notify_u.h"

#include "comma_text_u.h"
#include "cp932_u.h"
#include "log_u.h"
#include "settings_u.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>

namespace {
constexpr quint32 kLoopback = 0x7F000001; // 127.0.0.1

bool ValidPort(int port)
{
    return port > 0 && port <= 65535;
}

// The address of a host given as an address or as a name (IPv4 preferred:
// the endpoint is IPv4). Empty when a name cannot be looked up.
QString ResolveHost(const QString& host)
{
    const QHostAddress literal(host);
    if (!literal.isNull() || host.isEmpty()) return literal.isNull() ? QString() : literal.toString();
    const QHostInfo info = QHostInfo::fromName(host);
    const QList<QHostAddress> all = info.addresses();
    for (const QHostAddress& a : all)
        if (a.protocol() == QAbstractSocket::IPv4Protocol) return a.toString();
    if (all.isEmpty())
        Log::Always(QStringLiteral("NMUDP1.RemoteHost Error:") + host + QLatin1Char(' ') + info.errorString());
    return all.isEmpty() ? QString() : all.first().toString();
}

// Trims control characters and the half-width space only; an ideographic
// space belongs to the text.
QString TrimBlanks(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b).unicode() <= 0x20) ++b;
    while (e > b && s.at(e - 1).unicode() <= 0x20) --e;
    return s.mid(b, e - b);
}
} // namespace

QString BroadcastAddressOf(const QList<TNetIfEntry>& interfaces)
{
    quint32 address = 0, mask = 0;
    for (const TNetIfEntry& e : interfaces) {
        if (!e.Up || e.Address == kLoopback) continue;
        address = e.Address;
        mask = e.Netmask;
        break;
    }
    return QHostAddress((address & mask) | ~mask).toString();
}

QList<TNetIfEntry> SystemInterfaceList()
{
    QList<TNetIfEntry> list;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& nif : all) {
        const bool up = nif.flags().testFlag(QNetworkInterface::IsUp);
        const QList<QNetworkAddressEntry> entries = nif.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol) continue;
            list << TNetIfEntry{up, entry.ip().toIPv4Address(), entry.netmask().toIPv4Address()};
        }
    }
    return list;
}

TUdpNotify::TUdpNotify(const TSettings& settings, QObject* parent,
                       std::function<QList<TNetIfEntry>()> interfaceList)
    : QObject(parent), FSettings(settings), FInterfaceList(std::move(interfaceList)),
      NMUDP1(new QUdpSocket(this))
{
}

TUdpNotify::~TUdpNotify() = default;

void TUdpNotify::InitNMUDP()
{
    Log::Detail(QStringLiteral("TfrmMain.InitNMUDP"));
    NMUDP1->disconnect(this);
    NMUDP1->close();
    FReceiving = false;

    int localPort = 0;
    FRemoteAddress.clear();
    if (FSettings.Role() == TRole::Client) {
        Log::Detail(QStringLiteral("InitNMUDP Client"));
        localPort = FSettings.UdpServerPort;
        FRemotePort = FSettings.UdpClientPort;
        FRemoteHost.clear();
    } else {
        Log::Detail(QStringLiteral("InitNMUDP Server"));
        localPort = FSettings.UdpClientPort;
        FRemotePort = FSettings.UdpServerPort;
        if (!FSettings.UdpBroadcastAddress.isEmpty()) {
            FRemoteHost = FSettings.UdpBroadcastAddress;
            Log::Detail(QStringLiteral("★NMUDP1.RemoteHost2=") + FRemoteHost);
        } else {
            bool worked = false;
            try {
                FRemoteHost = BroadcastAddressOf(FInterfaceList());
                worked = true;
            } catch (const std::exception&) {
                // The start goes on with the configured (empty) address.
                FRemoteHost = FSettings.UdpBroadcastAddress;
            }
            Log::Detail((worked ? QStringLiteral("★NMUDP1.RemoteHost1=") : QStringLiteral("★NMUDP1.RemoteHost3=")) +
                        FRemoteHost);
        }
        // Only a server sends; its notices go where the name pointed at start.
        if (FSettings.Role() == TRole::Server) {
            FRemoteAddress = ResolveHost(FRemoteHost);
            if (FRemoteAddress != FRemoteHost)
                Log::Detail(QStringLiteral("NMUDP1.RemoteHost ") + FRemoteHost + QLatin1Char('=') + FRemoteAddress);
        }
    }

    // Shared, so that several sessions on one PC can each run a copy and all
    // of them hear the broadcast.
    QString error;
    if (!ValidPort(localPort))
        error = QStringLiteral("ポート番号が正しくありません: %1").arg(localPort);
    else if (!NMUDP1->bind(QHostAddress::AnyIPv4, quint16(localPort),
                           QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        error = NMUDP1->errorString();
    if (!error.isEmpty()) {
        // Without its port a copy still works as a telephone; only the LAN
        // notices are lost, so this must not stop the start.
        Log::Always(QStringLiteral("NMUDP1.Bind Error:") + error);
        return;
    }
    // A server ignores datagrams: no receive handler.
    if (FSettings.Role() == TRole::Client) {
        connect(NMUDP1, &QUdpSocket::readyRead, this, &TUdpNotify::ReadPendingDatagrams);
        FReceiving = true;
    }
}

quint16 TUdpNotify::LocalPort() const
{
    return NMUDP1->state() == QAbstractSocket::BoundState ? NMUDP1->localPort() : 0;
}

QString TUdpNotify::TelNotice(const QString& telNo, const QString& logNo, int portNo)
{
    return MSG_TEL_HEAD + telNo + QLatin1Char(',') + logNo + QLatin1Char(',') + QString::number(portNo);
}

QByteArray TUdpNotify::SendBytes(const QString& text)
{
    const QByteArray all = Cp932::Encode(text);
    if (all.size() <= kSendBufferSize) return all;
    // Never cut a double-byte character in half.
    qsizetype used = 0, i = 0;
    while (i < text.size()) {
        const qsizetype n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const qsizetype len = Cp932::ByteLength(text.mid(i, n));
        if (len < 0 || used + len > kSendBufferSize) break;
        used += len;
        i += n;
    }
    return Cp932::Encode(text.left(i));
}

void TUdpNotify::UpdateTelIvent(const QString& text)
{
    Log::Detail(QStringLiteral("TfrmMain.UpdateTelIvent"));
    if (FSettings.Role() != TRole::Server) return;

    QString bufferText = text;
    QString error;
    try {
        const QByteArray bytes = SendBytes(text);
        bufferText = Cp932::Decode(bytes);
        const QHostAddress host(FRemoteAddress);
        if (host.isNull())
            error = QStringLiteral("送信先のアドレスが正しくありません: %1").arg(FRemoteHost);
        else if (!ValidPort(FRemotePort))
            error = QStringLiteral("送信先のポート番号が正しくありません: %1").arg(FRemotePort);
        else if (NMUDP1->writeDatagram(bytes, host, quint16(FRemotePort)) != bytes.size())
            error = NMUDP1->errorString();
    } catch (const ECp932Error& e) {
        // Never send replacement bytes the clients would show as a number.
        error = QString::fromUtf8(e.what());
    }
    if (!error.isEmpty()) Log::Always(QStringLiteral("NMUDP1.SendBuffer Error:") + error);
    Log::Detail(QStringLiteral("UpdateTelIvent: SendBuffer=") + bufferText);
}

void TUdpNotify::ReadPendingDatagrams()
{
    while (NMUDP1->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = NMUDP1->receiveDatagram();
        if (!datagram.isValid()) break; // nothing could be read: leave the loop
        NMUDP1DataReceived(datagram.data());
    }
}

void TUdpNotify::NMUDP1DataReceived(const QByteArray& datagram)
{
    Log::Detail(QStringLiteral("TfrmMain.NMUDP1DataReceived"));
    QByteArray bytes = datagram.left(kReceiveLimit);
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) bytes.truncate(nul);
    const QString text = Cp932::Decode(bytes);

    if (text.startsWith(MSG_TEL_HEAD)) {
        Log::Detail(QStringLiteral("MSG_TEL_HEAD"));
        // Unquoted spaces separate items too: a number with a space shifts
        // the log number and port, as the other copies expect.
        const QStringList items = CommaText::Split(TrimBlanks(text.mid(MSG_TEL_HEAD.size())));
        int portNo = 0;
        if (items.size() >= 3) {
            bool ok = false;
            portNo = items.at(2).toInt(&ok);
            if (!ok) portNo = -1;
        }
        emit TelNoticeReceived(items.value(0), items.value(1), portNo);
    } else if (text.startsWith(MSG_NOT_TEL_HEAD)) {
        Log::Detail(QStringLiteral("MSG_NOT_TEL_HEAD"));
        emit RefreshNoticeReceived(TUpTable::FromFlagText(text.mid(MSG_NOT_TEL_HEAD.size())));
    }
}
