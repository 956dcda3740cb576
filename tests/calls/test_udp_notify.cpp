// LAN notification on real UDP sockets. Every datagram goes to 127.0.0.1:
// the server endpoints always have UDP/BROADCAST_ADDRESS set to loopback.
#include "udp_notify_u.h"

#include "calls_test_util.h"
#include "cp932_u.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <memory>
#include <stdexcept>

namespace {
const QHostAddress kLoopback(QHostAddress::LocalHost);

quint32 Ip(const char* dotted)
{
    return QHostAddress(QString::fromLatin1(dotted)).toIPv4Address();
}

// A port that is free on loopback right now.
int FreePort()
{
    QUdpSocket probe;
    EXPECT_TRUE(probe.bind(kLoopback, 0));
    return probe.localPort();
}

void MakeServer(TSettings& s, int clientPort, int serverPort, const QString& broadcast = QStringLiteral("127.0.0.1"))
{
    s.LanMode = true;
    s.ClientMode = false;
    s.UdpClientPort = clientPort;
    s.UdpServerPort = serverPort;
    s.UdpBroadcastAddress = broadcast;
}

void MakeClient(TSettings& s, int clientPort, int serverPort)
{
    s.LanMode = true;
    s.ClientMode = true;
    s.UdpClientPort = clientPort;
    s.UdpServerPort = serverPort;
    s.UdpBroadcastAddress.clear();
}

void MakeStandAlone(TSettings& s, int clientPort, int serverPort)
{
    MakeServer(s, clientPort, serverPort);
    s.LanMode = false;
}

// What a client endpoint raised, as text, in order.
void Record(TUdpNotify& endpoint, QStringList& events)
{
    QObject::connect(&endpoint, &TUdpNotify::TelNoticeReceived, [&events](const QString& t, const QString& l, int p) {
        events << QStringLiteral("TEL|%1|%2|%3").arg(t, l).arg(p);
    });
    QObject::connect(&endpoint, &TUdpNotify::RefreshNoticeReceived, [&events](const TUpTable& up) {
        events << QStringLiteral("OTH|%1|%2|%3|%4").arg(up.FlagText(), up.CustTel).arg(up.CustNo).arg(up.ActNo);
    });
}

// Receives raw datagrams on a loopback port.
struct TRawReceiver
{
    QUdpSocket Socket;
    QList<QNetworkDatagram> Got;
    TRawReceiver(int port)
    {
        EXPECT_TRUE(Socket.bind(kLoopback, quint16(port)));
        QObject::connect(&Socket, &QUdpSocket::readyRead, [this] {
            while (Socket.hasPendingDatagrams()) Got << Socket.receiveDatagram();
        });
    }
};
} // namespace

// Interface lists given to the pure rule: nothing here opens a socket or
// sends anything; the addresses are data only.
TEST(BroadcastAddress, FirstUpNonLoopbackInterfaceGivesItsDirectedBroadcast)
{
    struct TCase
    {
        QList<TNetIfEntry> List;
        QString Expected;
    };
    const TCase cases[] = {
        {{}, QStringLiteral("255.255.255.255")},
        {{{true, Ip("127.0.0.1"), Ip("255.0.0.0")}}, QStringLiteral("255.255.255.255")},
        {{{true, Ip("127.0.0.1"), Ip("255.0.0.0")}, {true, Ip("192.168.1.23"), Ip("255.255.255.0")}},
         QStringLiteral("192.168.1.255")},
        {{{false, Ip("10.0.0.5"), Ip("255.0.0.0")}, {true, Ip("172.16.3.4"), Ip("255.255.0.0")},
          {true, Ip("192.168.9.9"), Ip("255.255.255.0")}},
         QStringLiteral("172.16.255.255")},
        {{{false, Ip("10.0.0.5"), Ip("255.0.0.0")}}, QStringLiteral("255.255.255.255")},
        {{{true, Ip("10.1.2.3"), Ip("255.255.255.252")}}, QStringLiteral("10.1.2.3")},
        {{{true, Ip("10.1.2.3"), Ip("255.255.255.255")}}, QStringLiteral("10.1.2.3")},
        {{{true, Ip("10.1.2.3"), Ip("0.0.0.0")}}, QStringLiteral("255.255.255.255")},
        // Only 127.0.0.1 itself is passed over.
        {{{true, Ip("127.0.1.1"), Ip("255.0.0.0")}}, QStringLiteral("127.255.255.255")},
    };
    for (const TCase& c : cases) EXPECT_EQ(BroadcastAddressOf(c.List), c.Expected) << c.Expected.toStdString();
}

TEST(UdpNotify, SetsUpTheEndpointForEachRole)
{
    TCallsTestEnv env;
    const QList<TNetIfEntry> lan = {{true, Ip("127.0.0.1"), Ip("255.0.0.0")},
                                    {true, Ip("192.168.1.23"), Ip("255.255.255.0")}};
    struct TCase
    {
        const char* Name;
        std::function<void(TSettings&, int, int)> Setup;
        std::function<QList<TNetIfEntry>()> Interfaces;
        bool Client;
        QString Host;
        QStringList Lines;
    };
    const TCase cases[] = {
        {"client", MakeClient, [&] { return lan; }, true, QString(),
         {"TfrmMain.InitNMUDP", "InitNMUDP Client"}},
        {"server, configured address", [](TSettings& s, int c, int v) { MakeServer(s, c, v); },
         [&] { return lan; }, false, "127.0.0.1",
         {"TfrmMain.InitNMUDP", "InitNMUDP Server", "★NMUDP1.RemoteHost2=127.0.0.1"}},
        {"server, worked out", [](TSettings& s, int c, int v) { MakeServer(s, c, v, QString()); },
         [&] { return lan; }, false, "192.168.1.255",
         {"TfrmMain.InitNMUDP", "InitNMUDP Server", "★NMUDP1.RemoteHost1=192.168.1.255"}},
        {"server, no interface list",
         [](TSettings& s, int c, int v) { MakeServer(s, c, v, QString()); },
         []() -> QList<TNetIfEntry> { throw std::runtime_error("no list"); }, false, QString(),
         {"TfrmMain.InitNMUDP", "InitNMUDP Server", "★NMUDP1.RemoteHost3="}},
        {"stand-alone", MakeStandAlone, [&] { return lan; }, false, "127.0.0.1",
         {"TfrmMain.InitNMUDP", "InitNMUDP Server", "★NMUDP1.RemoteHost2=127.0.0.1"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const int clientPort = FreePort(), serverPort = FreePort();
        auto settings = env.OtherSettings();
        c.Setup(*settings, clientPort, serverPort);
        const int before = env.LogLines().size();
        TUdpNotify endpoint(*settings, nullptr, c.Interfaces);
        endpoint.InitNMUDP();
        EXPECT_EQ(env.LogLines().mid(before), c.Lines);
        EXPECT_EQ(endpoint.Receiving(), c.Client);
        EXPECT_EQ(endpoint.LocalPort(), c.Client ? serverPort : clientPort);
        EXPECT_EQ(endpoint.RemotePort(), c.Client ? clientPort : serverPort);
        EXPECT_EQ(endpoint.RemoteHost(), c.Host);
    }
}

TEST(UdpNotify, ServerSendsTheCallNoticeFromItsPortAndTheClientSplitsIt)
{
    TCallsTestEnv env;
    const int clientPort = FreePort(), serverPort = FreePort();
    auto serverSettings = env.OtherSettings();
    auto clientSettings = env.OtherSettings();
    MakeServer(*serverSettings, clientPort, serverPort);
    MakeClient(*clientSettings, clientPort, serverPort);
    TUdpNotify server(*serverSettings);
    auto client = std::make_unique<TUdpNotify>(*clientSettings);
    server.InitNMUDP();
    client->InitNMUDP();
    QStringList events;
    Record(*client, events);

    const QString notice = TUdpNotify::TelNotice(QStringLiteral("0312345678"), QStringLiteral("1523"), 1);
    EXPECT_EQ(notice, QStringLiteral("TEL0312345678,1523,1"));
    server.UpdateTelIvent(notice);
    ASSERT_TRUE(WaitFor([&] { return !events.isEmpty(); }));
    EXPECT_EQ(events, QStringList{"TEL|0312345678|1523|1"});
    for (const char* line : {"TfrmMain.UpdateTelIvent", "UpdateTelIvent: SendBuffer=TEL0312345678,1523,1",
                             "TfrmMain.NMUDP1DataReceived", "MSG_TEL_HEAD"})
        EXPECT_TRUE(env.Logged(QString::fromUtf8(line))) << line;

    // On the wire: exactly the 20 bytes, from the server's CLIENT_PORT.
    client.reset(); // frees the port for a raw look at the bytes
    QUdpSocket raw;
    ASSERT_TRUE(raw.bind(kLoopback, quint16(serverPort)));
    server.UpdateTelIvent(notice);
    ASSERT_TRUE(WaitFor([&] { return raw.hasPendingDatagrams(); }));
    const QNetworkDatagram d = raw.receiveDatagram();
    EXPECT_EQ(d.data(), QByteArray("TEL0312345678,1523,1"));
    EXPECT_EQ(d.data().size(), 20);
    EXPECT_EQ(d.senderPort(), clientPort);
}

TEST(UdpNotify, ClientHandlesEveryKindOfDatagram)
{
    TCallsTestEnv env;
    const int clientPort = FreePort(), serverPort = FreePort();
    MakeClient(env.Settings(), clientPort, serverPort);
    TUdpNotify client(env.Settings());
    client.InitNMUDP();
    QStringList events;
    Record(client, events);
    QUdpSocket sender;

    const QByteArray digits60(60, '7');
    struct TCase
    {
        QByteArray Datagram;
        QStringList Expected;
    };
    const TCase cases[] = {
        {"TEL0312345678,1523,1", {"TEL|0312345678|1523|1"}},
        {"TEL,1523,1", {"TEL||1523|1"}},                           // withheld number
        {"TEL", {"TEL|||0"}},                                     // every item missing
        {"TEL0312345678,1523", {"TEL|0312345678|1523|0"}},        // port missing
        {"TEL0312345678,1523,x", {"TEL|0312345678|1523|-1"}},     // port not a number
        {"TEL  03 1234 ,99,1  ", {"TEL|03|1234|99"}},             // a space splits the number
        {"TEL03,45,12,1", {"TEL|03|45|12"}},                      // so does a comma
        {"TEL\"03 12\",5,2", {"TEL|03 12|5|2"}},                  // quotes group
        {"TEL" + Cp932::Encode(QStringLiteral("ヤマダ")) + ",7,1", {"TEL|ヤマダ|7|1"}},
        {"TEL" + digits60 + ",1,1", {"TEL|" + QString(37, QLatin1Char('7')) + "||0"}}, // 40 bytes read
        {"OTH110000001", {"OTH|110000001||-1|-1"}},
        {"OTH11000000", {"OTH|000000000||-1|-1"}},                // eight flags: nothing
        {"OTH1100000011", {"OTH|000000000||-1|-1"}},              // ten flags: nothing
        {QByteArray("OTH000100001\0junk", 17), {"OTH|000100001||-1|-1"}}, // text ends at NUL
        {"OTH" + QByteArray(100, '1'), {"OTH|000000000||-1|-1"}}, // 37 characters after cut
        {QByteArray(), {}},
        {"XYZ0312345678,1,1", {}},
        {"tel0312345678,1,1", {}},
        {QByteArray("\0TEL1,2,3", 9), {}},
        {QByteArray("\xff\x81\x00\x80\xfe\x9f TEL", 11), {}},
        {QByteArray(4000, 'A'), {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Datagram.left(50).toHex().toStdString());
        events.clear();
        ASSERT_EQ(sender.writeDatagram(c.Datagram, kLoopback, quint16(serverPort)), c.Datagram.size());
        // Datagrams on loopback arrive in order: the sentinel closes the case.
        sender.writeDatagram("TELsentinel,0,0", kLoopback, quint16(serverPort));
        ASSERT_TRUE(WaitFor([&] { return events.contains(QStringLiteral("TEL|sentinel|0|0")); }));
        events.removeAll(QStringLiteral("TEL|sentinel|0|0"));
        EXPECT_EQ(events, c.Expected);
    }
    EXPECT_TRUE(env.Logged(QStringLiteral("MSG_NOT_TEL_HEAD")));

    // A double-byte character cut at byte 40 is not a crash.
    events.clear();
    QString many;
    for (int i = 0; i < 19; ++i) many += QStringLiteral("ア");
    sender.writeDatagram("TEL" + Cp932::Encode(many), kLoopback, quint16(serverPort));
    ASSERT_TRUE(WaitFor([&] { return !events.isEmpty(); }));
    EXPECT_TRUE(events.first().startsWith(QStringLiteral("TEL|") + many.left(18))) << events.first().toStdString();
}

TEST(UdpNotify, OnlyAServerSends)
{
    TCallsTestEnv env;
    const int clientPort = FreePort(), serverPort = FreePort();
    TRawReceiver receiver(serverPort);
    auto standAloneSettings = env.OtherSettings();
    auto clientSettings = env.OtherSettings();
    auto serverSettings = env.OtherSettings();
    MakeStandAlone(*standAloneSettings, FreePort(), serverPort);
    MakeClient(*clientSettings, FreePort(), FreePort());
    // The client's remote port is the receiver's, should it ever send.
    clientSettings->UdpClientPort = serverPort;
    MakeServer(*serverSettings, clientPort, serverPort);
    TUdpNotify standAlone(*standAloneSettings), client(*clientSettings), server(*serverSettings);
    standAlone.InitNMUDP();
    client.InitNMUDP();
    server.InitNMUDP();

    standAlone.UpdateTelIvent(QStringLiteral("TEL0312345678,1,1"));
    client.UpdateTelIvent(TUpTable().ToNotice());
    EXPECT_EQ(env.LogLines().count(QStringLiteral("TfrmMain.UpdateTelIvent")), 2);
    EXPECT_FALSE(env.LoggedStartingWith(QStringLiteral("UpdateTelIvent: SendBuffer=")));

    TUpTable up;
    up.UpUser = true;
    server.UpdateTelIvent(up.ToNotice());
    ASSERT_TRUE(WaitFor([&] { return !receiver.Got.isEmpty(); }));
    // The server's notice is the first and only datagram that arrived.
    EXPECT_EQ(receiver.Got.first().data(), QByteArray("OTH000100000"));
    EXPECT_EQ(receiver.Got.size(), 1);
}

TEST(UdpNotify, SendCutsAt256BytesWithoutSplittingACharacter)
{
    TCallsTestEnv env;
    const int clientPort = FreePort(), serverPort = FreePort();
    TRawReceiver receiver(serverPort);
    MakeServer(env.Settings(), clientPort, serverPort);
    TUdpNotify server(env.Settings());
    server.InitNMUDP();

    QString kana;
    for (int i = 0; i < 200; ++i) kana += QStringLiteral("ア");
    const QString texts[] = {QStringLiteral("TEL") + QString(300, QLatin1Char('9')), QStringLiteral("TEL") + kana};
    const QByteArray expected[] = {"TEL" + QByteArray(253, '9'), "TEL" + Cp932::Encode(kana.left(126))};
    for (const QString& t : texts) server.UpdateTelIvent(t);
    ASSERT_TRUE(WaitFor([&] { return receiver.Got.size() == 2; }));
    EXPECT_EQ(receiver.Got[0].data(), expected[0]);
    EXPECT_EQ(receiver.Got[0].data().size(), 256);
    EXPECT_EQ(receiver.Got[1].data(), expected[1]);
    EXPECT_EQ(receiver.Got[1].data().size(), 255);
    EXPECT_TRUE(env.Logged(QStringLiteral("UpdateTelIvent: SendBuffer=TEL") + kana.left(126)));
}

TEST(UdpNotify, FailedSendIsWrittenEvenWithoutTheDetailedLog)
{
    TCallsTestEnv env(false);
    const int clientPort = FreePort(), serverPort = FreePort();
    TRawReceiver receiver(serverPort);
    struct TCase
    {
        QString Host;
        int RemotePort;
        QString Text;
    };
    const TCase cases[] = {
        {QStringLiteral("no.such.host.invalid"), serverPort, QStringLiteral("TEL1,2,1")},
        {QStringLiteral("127.0.0.1"), 0, QStringLiteral("TEL1,2,1")},
        {QStringLiteral("127.0.0.1"), serverPort, QStringLiteral("TEL") + QChar(0x00E9) + QStringLiteral(",2,1")},
        {QString(), serverPort, QStringLiteral("TEL1,2,1")},
    };
    for (const TCase& c : cases) {
        auto settings = env.OtherSettings();
        MakeServer(*settings, clientPort, c.RemotePort, c.Host);
        // An empty address stays empty when the interface list cannot be read.
        TUdpNotify server(*settings, nullptr, []() -> QList<TNetIfEntry> { throw std::runtime_error("none"); });
        server.InitNMUDP();
        const int before = env.LogLines().size();
        server.UpdateTelIvent(c.Text);
        const QStringList lines = env.LogLines().mid(before);
        ASSERT_EQ(lines.size(), 1) << lines.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(lines.first().startsWith(QStringLiteral("NMUDP1.SendBuffer Error:"))) << lines.first().toStdString();
    }
    // The failed sends put nothing on the wire.
    auto settings = env.OtherSettings();
    MakeServer(*settings, clientPort, serverPort);
    TUdpNotify server(*settings);
    server.InitNMUDP();
    server.UpdateTelIvent(QStringLiteral("TELlast,1,1"));
    ASSERT_TRUE(WaitFor([&] { return !receiver.Got.isEmpty(); }));
    EXPECT_EQ(receiver.Got.first().data(), QByteArray("TELlast,1,1"));
}

TEST(UdpNotify, PortThatCannotBeBoundIsWrittenAndTheStartGoesOn)
{
    TCallsTestEnv env(false);
    QUdpSocket holder; // bound without sharing: nobody else gets the port
    ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
    for (int port : {int(holder.localPort()), 70000, 0}) {
        auto settings = env.OtherSettings();
        MakeClient(*settings, FreePort(), port);
        TUdpNotify client(*settings);
        const int before = env.LogLines().size();
        client.InitNMUDP();
        const QStringList lines = env.LogLines().mid(before);
        ASSERT_EQ(lines.size(), 1) << port;
        EXPECT_TRUE(lines.first().startsWith(QStringLiteral("NMUDP1.Bind Error:"))) << lines.first().toStdString();
        EXPECT_FALSE(client.Receiving());
        EXPECT_EQ(client.LocalPort(), 0);
    }
}

TEST(UdpNotify, BroadcastAddressMayBeAHostNameLookedUpOnceAtStart)
{
    TCallsTestEnv env;
    const int clientPort = FreePort(), serverPort = FreePort();
    auto serverSettings = env.OtherSettings();
    auto clientSettings = env.OtherSettings();
    // "localhost" comes from the hosts file: no name server is asked.
    MakeServer(*serverSettings, clientPort, serverPort, QStringLiteral("localhost"));
    MakeClient(*clientSettings, clientPort, serverPort);
    TUdpNotify server(*serverSettings);
    TUdpNotify client(*clientSettings);
    server.InitNMUDP();
    client.InitNMUDP();
    EXPECT_EQ(server.RemoteHost(), QStringLiteral("localhost"));
    EXPECT_EQ(server.RemoteAddress(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(env.Logged(QStringLiteral("★NMUDP1.RemoteHost2=localhost")));
    EXPECT_TRUE(env.Logged(QStringLiteral("NMUDP1.RemoteHost localhost=127.0.0.1")));
    QStringList events;
    Record(client, events);
    server.UpdateTelIvent(TUdpNotify::TelNotice(QStringLiteral("0312345678"), QStringLiteral("7"), 1));
    ASSERT_TRUE(WaitFor([&] { return !events.isEmpty(); }));
    EXPECT_EQ(events, QStringList{"TEL|0312345678|7|1"});
    EXPECT_FALSE(env.LoggedStartingWith(QStringLiteral("NMUDP1.SendBuffer Error:")));
}
