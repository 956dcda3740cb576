#pragma once
// LAN call notification: the server copy broadcasts every call ("TEL") and
// every change of shared data ("OTH") by UDP; client copies show the call
// and reload what changed. Datagrams are CP932 text without terminator.
#include "up_table_u.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QUdpSocket;
class TSettings;

inline const QString MSG_TEL_HEAD = QStringLiteral("TEL");

// One IPv4 address of a network interface, as the broadcast rule sees it.
struct TNetIfEntry
{
    bool Up = false;
    quint32 Address = 0; // host byte order
    quint32 Netmask = 0;
};

// The first up interface whose address is not 127.0.0.1, turned into its
// directed broadcast address (address AND mask) OR (NOT mask), dotted.
// No such interface gives 255.255.255.255.
QString BroadcastAddressOf(const QList<TNetIfEntry>& interfaces);
// The IPv4 entries of this machine's interfaces, in the system's order.
QList<TNetIfEntry> SystemInterfaceList();

class TUdpNotify : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSendBufferSize = 256; // bytes a notice may hold
    static constexpr int kReceiveLimit = 40;    // bytes of a datagram read

    // Reads the role and the UDP settings at InitNMUDP; the settings object
    // outlives this one. interfaceList gives the interfaces for the broadcast
    // rule (default: the system's list).
    explicit TUdpNotify(const TSettings& settings, QObject* parent = nullptr,
                        std::function<QList<TNetIfEntry>()> interfaceList = SystemInterfaceList);
    ~TUdpNotify() override;

    // Binds the endpoint for the copy's role; call once at start. A port that
    // cannot be bound is written to the log and the program goes on without
    // LAN notification on this copy.
    void InitNMUDP();

    // Sends a notice to the client copies. Only a server copy sends; a failed
    // send is written to the log and otherwise ignored.
    void UpdateTelIvent(const QString& text);

    // The handler of one received datagram (client copies).
    void NMUDP1DataReceived(const QByteArray& datagram);

    // "TEL" + number + "," + log number + "," + port.
    static QString TelNotice(const QString& telNo, const QString& logNo, int portNo);
    // The text a notice is sent as: CP932, cut to the send buffer at a
    // character boundary. Throws ECp932Error for characters CP932 lacks.
    static QByteArray SendBytes(const QString& text);

    quint16 LocalPort() const;  // 0 when not bound
    QString RemoteHost() const { return FRemoteHost; }
    // The remote host as an address: a name is looked up once, at InitNMUDP.
    QString RemoteAddress() const { return FRemoteAddress; }
    int RemotePort() const { return FRemotePort; }
    bool Receiving() const { return FReceiving; }

signals:
    // A call notice: submit an incoming call with these and an empty
    // called-party reading.
    void TelNoticeReceived(const QString& telNo, const QString& logNo, int portNo);
    // A refresh notice: run RefreshTables with it.
    void RefreshNoticeReceived(const TUpTable& upTable);

private:
    void ReadPendingDatagrams();

    const TSettings& FSettings;
    std::function<QList<TNetIfEntry>()> FInterfaceList;
    QUdpSocket* NMUDP1;
    QString FRemoteHost;
    QString FRemoteAddress; // empty when there is none
    int FRemotePort = 0;
    bool FReceiving = false;
};
