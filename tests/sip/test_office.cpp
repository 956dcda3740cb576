// The softphone as offices deploy it, against sipp on loopback: requests go
// through the proxy whatever the domain, callers' names stay names, TCP and
// TLS, NAT settings, no GRUU, callers that vanish, two copies on one PC, a
// retry that a reconnect cancels, and what the user is told.
#include "scenarios_test_util.h"
#include "sip_fixture.h"

#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QUdpSocket>
#include <QtEndian>

#include <thread>

#include <linphone++/linphone.hh>

using Scenario::TUacEnd;

namespace {

// The message of sipp's trace that starts with head (empty when none).
QString TracedMessage(const QString& trace, const QString& head)
{
    const qsizetype at = trace.indexOf(QLatin1Char('\n') + head);
    if (at < 0) return {};
    const qsizetype end = trace.indexOf(QRegularExpression(QStringLiteral("\n-{20,}")), at);
    return trace.mid(at + 1, end < 0 ? -1 : end - at - 1);
}

QString HeaderLine(const QString& message, const QString& name)
{
    for (const QString& line : message.split(QLatin1Char('\n')))
        if (line.startsWith(name + QLatin1Char(':'), Qt::CaseInsensitive)) return line.trimmed();
    return {};
}

// A STUN server of the smallest kind: answers each Binding Request with the
// sender's address, and counts them.
class TStunServer
{
public:
    TStunServer()
    {
        FSocket.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&FSocket, &QUdpSocket::readyRead, [this] {
            while (FSocket.hasPendingDatagrams()) Answer(FSocket.receiveDatagram());
        });
    }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(FSocket.localPort()); }
    int Requests = 0;

private:
    void Answer(const QNetworkDatagram& d)
    {
        const QByteArray q = d.data();
        if (q.size() < 20 || qFromBigEndian<quint16>(q.constData()) != 0x0001 ||
            qFromBigEndian<quint32>(q.constData() + 4) != 0x2112A442)
            return;
        ++Requests;
        QByteArray r(32, '\0');
        qToBigEndian<quint16>(0x0101, r.data());     // Binding Success Response
        qToBigEndian<quint16>(12, r.data() + 2);     // one attribute
        r.replace(4, 16, q.mid(4, 16));              // cookie and transaction id
        qToBigEndian<quint16>(0x0020, r.data() + 20); // XOR-MAPPED-ADDRESS
        qToBigEndian<quint16>(8, r.data() + 22);
        r[25] = 0x01;                                 // IPv4
        qToBigEndian<quint16>(quint16(d.senderPort() ^ 0x2112), r.data() + 26);
        qToBigEndian<quint32>(d.senderAddress().toIPv4Address() ^ 0x2112A442, r.data() + 28);
        FSocket.writeDatagram(r, d.senderAddress(), quint16(d.senderPort()));
    }
    QUdpSocket FSocket;
};

} // namespace

class OfficeTest : public TSipFixture
{
protected:
    void SetUp() override
    {
        TSipFixture::SetUp();
        // No CRLF keep-alives into sipp's scenarios.
        Settings->KeepAlive = false;
    }
    // Dials and waits for the answer, then hangs up.
    void DialAndHangUp(const QString& number)
    {
        Phone->DialPauseSteps = 1;
        Phone->SipDial(number);
        ASSERT_TRUE(SipTest::WaitFor([&] { return LastStatus() == QStringLiteral("通話中"); })) << LastStatus().toStdString();
        Phone->btnHangUpClick();
        EXPECT_TRUE(LogText().contains("Disconnect 成功"));
    }
};

TEST_F(OfficeTest, EveryRequestGoesToTheProxyWhateverTheDomainSays)
{
    // "office.example" never resolves: DNS is pointed at loopback, where none runs.
    struct Case { const char* Name; bool Register; bool ThroughOutProxy; };
    const Case cases[] = {{"registered", true, false}, {"not registering", false, false},
                          {"outbound proxy", true, true}};
    for (const auto& c : cases) {
        TSipp pbx(Scenario::Pbx({}), QString(), c.Register ? 2 : 1);
        ASSERT_TRUE(pbx.Start()) << c.Name << pbx.Output().toStdString();
        Row = AccountRow(c.ThroughOutProxy ? QStringLiteral("pbx.office.example") : pbx.Address(), c.Register);
        Row["DOMAINNM"] = QStringLiteral("office.example");
        if (c.ThroughOutProxy) Row["OUTPLOXY"] = pbx.Address();
        ASSERT_TRUE(Connect()) << c.Name << LogText().right(3000).toStdString();
        EXPECT_EQ(Phone->gVaxSips[0].Registered, c.Register) << c.Name;
        DialAndHangUp(QStringLiteral("202"));
        EXPECT_TRUE(pbx.Finish()) << c.Name << pbx.Output().toStdString();
        const QString invite = TracedMessage(pbx.Trace(), QStringLiteral("INVITE sip:"));
        EXPECT_TRUE(invite.startsWith(QStringLiteral("INVITE sip:202@office.example"))) << invite.toStdString();
        EXPECT_TRUE(HeaderLine(invite, QStringLiteral("Route")).contains(pbx.Address())) << c.Name;
        if (c.Register) {
            const QString reg = TracedMessage(pbx.Trace(), QStringLiteral("REGISTER sip:"));
            EXPECT_TRUE(HeaderLine(reg, QStringLiteral("From")).contains(QStringLiteral("sip:100@office.example")));
        }
    }
    EXPECT_FALSE(LogText().contains(QStringLiteral("DNS resolution failed")));
    EXPECT_TRUE(Msgs->Shown.empty());
}

TEST_F(OfficeTest, DisplayNameIsTheNumberOnlyWhenItReadsAsOne)
{
    struct Case { const char* Display; const char* User; const char* Number; const char* Name; };
    const Case cases[] = {
        {"田中商事 営業部 山田太郎様 (代表番号からの転送)", "0312345678", "0312345678",
         "田中商事 営業部 山田太郎様 (代表番号からの転送)"},
        {"Reception", "201", "201", "Reception"},
        {"03-1234-5678", "caller", "03-1234-5678", ""},
        {"+81 (3) 1234*5678#", "caller", "+81 (3) 1234*5678#", ""},
        {"", "0399998888", "0399998888", ""},
    };
    Row = AccountRow(QStringLiteral("127.0.0.1:5999"), false);
    ASSERT_TRUE(Connect());
    const QString engine = QStringLiteral("127.0.0.1:%1").arg(EnginePort());
    for (const auto& c : cases) {
        Submits.clear();
        Names.clear();
        TSipp uac(Scenario::Uac(TUacEnd::Cancel, QString::fromUtf8(c.Display), QString::fromUtf8(c.User)), engine);
        ASSERT_TRUE(uac.Start());
        ASSERT_TRUE(SipTest::WaitFor([&] { return !Submits.empty(); })) << c.User;
        EXPECT_EQ(Submits[0].TelNo, QString::fromUtf8(c.Number));
        EXPECT_EQ(Phone->PendingNumbers(), QStringList{QString::fromUtf8(c.Number)});
        const QString name = QString::fromUtf8(c.Name);
        EXPECT_EQ(Names, name.isEmpty() ? QStringList() : QStringList{QString::fromUtf8(c.Number) + "/" + name});
        EXPECT_TRUE(uac.Finish()) << uac.Output().toStdString();
        ASSERT_TRUE(SipTest::WaitFor([&] { return Phone->PendingNumbers().isEmpty(); }));
    }
}

TEST_F(OfficeTest, TcpAndTlsRegisterRingAndDialOut)
{
    const QString certs = Root + QStringLiteral("/certs");
    ASSERT_TRUE(SipTest::MakeCertificates(certs));
    struct Case { const char* Transport; const char* Via; };
    const Case cases[] = {{"tcp", "TCP"}, {"tls", "TLS"}};
    for (const auto& c : cases) {
        const bool tls = QLatin1String(c.Transport) == QLatin1String("tls");
        Options.RootCaFile = tls ? certs + QStringLiteral("/ca.pem") : QString();
        MakePhone();
        Submits.clear();
        TTlsFront front(certs);
        const QString self = tls ? front.Address() + QStringLiteral(";transport=tls") : QString();
        TSipp pbx(Scenario::Pbx({false, true, self}), QString(), 2, {"-t", "t1"});
        ASSERT_TRUE(pbx.Start()) << c.Transport;
        if (tls) {
            ASSERT_TRUE(front.Start(pbx.Port()));
        }
        Row = AccountRow((tls ? front.Address() : pbx.Address()) + QStringLiteral(";transport=") + c.Transport);
        ASSERT_TRUE(Connect()) << c.Transport << " " << LogText().right(3000).toStdString();
        EXPECT_EQ(Phone->gVaxObjects[0]->TransportText(), QString::fromLatin1(c.Transport));
        // The PBX calls in over the connection the registration opened.
        ASSERT_TRUE(SipTest::WaitFor([&] { return !Submits.empty(); })) << c.Transport << pbx.Output().toStdString() << LogText().right(4000).toStdString();
        EXPECT_EQ(Submits[0].TelNo, "0312345678");
        Phone->btnHangUpClick();
        EXPECT_TRUE(LogText().contains("RejectCall 成功"));
        DialAndHangUp(QStringLiteral("202"));
        EXPECT_TRUE(pbx.Finish()) << c.Transport << pbx.Output().toStdString() << pbx.Trace().right(5000).toStdString();
        const QString reg = TracedMessage(pbx.Trace(), QStringLiteral("REGISTER sip:"));
        EXPECT_TRUE(HeaderLine(reg, QStringLiteral("Via")).contains(QStringLiteral("SIP/2.0/") + c.Via)) << reg.toStdString();
    }
    EXPECT_TRUE(Msgs->Shown.empty());
}

TEST_F(OfficeTest, TlsServerTheSystemDoesNotTrustIsSaidSo)
{
    const QString certs = Root + QStringLiteral("/certs");
    ASSERT_TRUE(SipTest::MakeCertificates(certs));
    TSipp pbx(Scenario::Pbx({}), QString(), 1, {"-t", "t1"});
    ASSERT_TRUE(pbx.Start());
    TTlsFront front(certs);
    ASSERT_TRUE(front.Start(pbx.Port()));
    // The test's own authority is in no system store.
    Row = AccountRow(front.Address() + QStringLiteral(";transport=tls"));
    EXPECT_FALSE(Connect());
    EXPECT_TRUE(Msgs->Saw(QStringLiteral("SIPサーバーの証明書を確認できませんでした（TLS）。サーバーの証明書と、このPCの"
                                         "信頼する証明書（ca-certificates）を確認してください。\r\n"
                                         "接続できませんでした。")))
        << (Msgs->Shown.empty() ? std::string() : Msgs->Shown.back().Text.toStdString());
    EXPECT_TRUE(LogText().contains("TagNo-0 TLS 接続失敗: "));
}

TEST_F(OfficeTest, StunServerAndIceReachTheStackAndTheServerIsAsked)
{
    // A LAN PBX needs nothing: empty settings, no NAT policy at work.
    Row = AccountRow(QStringLiteral("127.0.0.1:5999"), false);
    ASSERT_TRUE(Connect());
    EXPECT_EQ(Phone->gVaxObjects[0]->NatPolicyText(), "stun=0 server= ice=0");
    for (const bool ice : {false, true}) {
        TStunServer stun;
        Settings->StunServer = stun.Address();
        Settings->UseIce = ice;
        TSipp uas(Scenario::UasAnswer());
        ASSERT_TRUE(uas.Start());
        Row = AccountRow(uas.Address(), false);
        ASSERT_TRUE(Connect());
        EXPECT_EQ(Phone->gVaxObjects[0]->NatPolicyText(),
                  QStringLiteral("stun=1 server=%1 ice=%2").arg(stun.Address()).arg(ice ? 1 : 0));
        EXPECT_TRUE(LogText().contains(QStringLiteral("InitVaxObject Transport=udp NAT=stun=1 server=%1").arg(stun.Address())));
        Phone->DialPauseSteps = 1;
        Phone->SipDial(QStringLiteral("202"));
        if (ice) {
            // ICE gathers the call's public address from the STUN server.
            EXPECT_TRUE(SipTest::WaitFor([&] { return stun.Requests > 0; }, 5000));
        } else {
            // Without ICE this stack cannot use it, and the log says so.
            EXPECT_TRUE(LogText().contains(QStringLiteral("InitVaxObject: STUN サーバーは ICE とともに使われます")));
        }
        SipTest::WaitFor([&] { return LastStatus() == QStringLiteral("通話中"); });
        if (Phone->gVaxObjects[0]->VaxIsLineBusy(0)) Phone->btnHangUpClick();
        uas.Finish();
    }
}

TEST_F(OfficeTest, RegistrarThatHandsOutGruusGetsAPlainContact)
{
    TSipp pbx(Scenario::Pbx({true, false, QString()}), QString(), 2);
    ASSERT_TRUE(pbx.Start());
    Row = AccountRow(pbx.Address());
    ASSERT_TRUE(Connect());
    DialAndHangUp(QStringLiteral("202"));
    EXPECT_TRUE(pbx.Finish()) << pbx.Output().toStdString();
    const QString reg = TracedMessage(pbx.Trace(), QStringLiteral("REGISTER sip:"));
    const QString invite = TracedMessage(pbx.Trace(), QStringLiteral("INVITE sip:"));
    ASSERT_FALSE(invite.isEmpty());
    EXPECT_FALSE(HeaderLine(reg, QStringLiteral("Supported")).contains(QStringLiteral("gruu"))) << reg.toStdString();
    const QString contact = HeaderLine(invite, QStringLiteral("Contact"));
    EXPECT_FALSE(contact.isEmpty());
    EXPECT_FALSE(contact.contains(QRegularExpression(QStringLiteral(";gr(=|;|>|$)")))) << contact.toStdString();
}

TEST_F(OfficeTest, CallersThatVanishFreeTheirSlots)
{
    Options.IncomingTimeoutSec = 3;
    MakePhone();
    Row = AccountRow(QStringLiteral("127.0.0.1:5999"), false);
    ASSERT_TRUE(Connect());
    const QString engine = QStringLiteral("127.0.0.1:%1").arg(EnginePort());
    // Ten callers ring and vanish without a CANCEL.
    QString vanish = Scenario::Uac(TUacEnd::Cancel, QString(), QStringLiteral("caller[call_number]"));
    vanish = vanish.left(vanish.indexOf(QStringLiteral("<pause milliseconds=\"300\"/>"))) + QStringLiteral("</scenario>\n");
    TSipp gone(vanish, engine, 10, {"-r", "10", "-l", "10"});
    ASSERT_TRUE(gone.Start());
    EXPECT_TRUE(gone.Finish()) << gone.Output().toStdString();
    EXPECT_EQ(Phone->PendingNumbers().size(), 10);
    // Every slot is taken: the next caller is refused.
    {
        QString busy = Scenario::Uac(TUacEnd::ExpectReject, QString(), QStringLiteral("0311112222"));
        busy.remove(QStringLiteral("<recv response=\"180\"/>\n")); // refused without ringing
        TSipp refused(busy, engine);
        ASSERT_TRUE(refused.Start());
        EXPECT_TRUE(refused.Finish()) << refused.Trace().toStdString();
        EXPECT_TRUE(refused.Trace().contains("SIP/2.0 486"));
    }
    // The ringing ends by itself; the slots are free again.
    ASSERT_TRUE(SipTest::WaitFor([&] { return Phone->PendingNumbers().isEmpty(); }, 20000));
    EXPECT_EQ(LastStatus(), QStringLiteral("オンライン"));
    Submits.clear();
    TSipp next(Scenario::Uac(TUacEnd::Cancel, QString(), QStringLiteral("0333334444")), engine);
    ASSERT_TRUE(next.Start());
    ASSERT_TRUE(SipTest::WaitFor([&] { return !Submits.empty(); }));
    EXPECT_EQ(Submits[0].TelNo, "0333334444");
    EXPECT_TRUE(next.Finish()) << next.Output().toStdString();
}

TEST_F(OfficeTest, TwoCopiesOnOnePcTakeDifferentRtpPorts)
{
    Row = AccountRow(QStringLiteral("127.0.0.1:5999"), false);
    ASSERT_TRUE(Connect());
    TVaxAgentOptions o = Options;
    o.WorkFolder = Root + QStringLiteral("/sip-other-user");
    TSoftPhone other(*Settings, o);
    other.BindToListenAddress = true;
    other.CreateVaxObjects(1);
    other.SetAccountSource([this](const QString&) { return std::optional<TAccountRow>(Row); });
    other.LoadSIPAccount();
    ASSERT_TRUE(other.ConnectVax(0));
    const int mine = Phone->gVaxObjects[0]->LineRtpPort(0);
    const int theirs = other.gVaxObjects[0]->LineRtpPort(0);
    EXPECT_GE(mine, 7000);
    EXPECT_GE(theirs, 7000);
    EXPECT_NE(mine, theirs);
    EXPECT_NE(mine + 1, theirs);
    // Held until the engine goes: then the pair is free for the next one.
    Phone->UnInitVax(0);
    ASSERT_TRUE(other.ConnectVax(0));
    EXPECT_EQ(other.gVaxObjects[0]->LineRtpPort(0), mine);
}

TEST_F(OfficeTest, ReconnectAndUninitialiseCancelAWaitingRetry)
{
    Phone->RetryGapSec = 2;
    // Registrations that got no answer, twice in a row (as the stack reports
    // them): the first is retried at once, the second waits for the gap.
    auto twoFailures = [this] {
        auto* obj = Phone->gVaxObjects[0];
        emit obj->OnFailToReRegisterEx(-1, QStringLiteral("io error"));
        SipTest::WaitFor([] { return false; }, 100);
        emit obj->OnFailToReRegisterEx(-1, QStringLiteral("io error"));
    };
    // A proxy that counts REGISTERs.
    QUdpSocket proxy;
    ASSERT_TRUE(proxy.bind(QHostAddress::LocalHost, 0));
    int registers = 0;
    QObject::connect(&proxy, &QUdpSocket::readyRead, [&] {
        while (proxy.hasPendingDatagrams())
            if (proxy.receiveDatagram().data().startsWith("REGISTER")) ++registers;
    });
    const QString counting = QStringLiteral("127.0.0.1:%1").arg(proxy.localPort());

    // Saved again, now without registration: the waiting retry goes.
    Row = AccountRow(QStringLiteral("127.0.0.1:5999"), false);
    ASSERT_TRUE(Connect());
    Phone->gVaxSips[0].RegistProxy = true; // as it was when the failures came
    twoFailures();
    Row = AccountRow(counting, false);
    ASSERT_TRUE(Connect());
    registers = 0;
    SipTest::WaitFor([] { return false; }, 3000);
    EXPECT_EQ(registers, 0);

    // Uninitialised while a retry waits: the engine stays down.
    Phone->gVaxSips[0].RegistProxy = true;
    twoFailures(); // the first retry registers at once, with the proxy above
    Phone->UnInitVax(0); // which unregisters
    SipTest::WaitFor([] { return false; }, 300);
    registers = 0;
    SipTest::WaitFor([] { return false; }, 3000);
    EXPECT_FALSE(Phone->gVaxObjects[0]->VaxIsLineOpen(0));
    EXPECT_EQ(registers, 0);
}

TEST_F(OfficeTest, OnlineOnlyWhileRegisteredAndHangUpWithoutACallDoesNothing)
{
    // Over TCP: when the registrar goes, the connection drops and the
    // renewal that follows fails at once.
    TSipp registrar(Scenario::Registrar("100", "secret"), QString(), 2, {"-t", "t1"});
    ASSERT_TRUE(registrar.Start());
    Row = AccountRow(registrar.Address() + QStringLiteral(";transport=tcp"));
    ASSERT_TRUE(Connect());
    EXPECT_EQ(LastStatus(), QStringLiteral("オンライン"));
    EXPECT_EQ(Icons, std::vector<int>{7});
    // 切断 with nothing to end: no box, no status change.
    const int shown = static_cast<int>(Status.size());
    Phone->btnHangUpClick();
    EXPECT_TRUE(Msgs->Shown.empty());
    EXPECT_EQ(static_cast<int>(Status.size()), shown);

    registrar.Finish(500); // still waiting for a second REGISTER: stopped
    ASSERT_TRUE(SipTest::WaitFor([&] { return !Phone->gVaxSips[0].Registered; }));
    EXPECT_EQ(LastStatus(), QString());
    EXPECT_EQ(Icons, (std::vector<int>{7, -1}));
    // A call that rings and ends meanwhile does not bring "オンライン" back.
    TSipp uac(Scenario::Uac(TUacEnd::Cancel, QString(), QStringLiteral("0312345678")),
              QStringLiteral("127.0.0.1:%1").arg(EnginePort()), 1, {"-t", "t1"});
    ASSERT_TRUE(uac.Start());
    ASSERT_TRUE(SipTest::WaitFor([&] { return !Submits.empty(); }));
    ASSERT_TRUE(SipTest::WaitFor([&] { return Phone->PendingNumbers().isEmpty(); }));
    EXPECT_EQ(LastStatus(), QString());
    EXPECT_TRUE(uac.Finish()) << uac.Output().toStdString();
    EXPECT_TRUE(LogText().contains("TagNo-0 Fail to Re-RegisterEx: "));
}

TEST_F(OfficeTest, EngineErrorsShowAJapaneseSentenceBesideTheirText)
{
    Row = AccountRow(QStringLiteral("127.0.0.1:5999"), false);
    ASSERT_TRUE(Connect());
    EXPECT_FALSE(Phone->gVaxObjects[0]->VaxDisconnect(0));
    Phone->ShowVaxError(0);
    ASSERT_EQ(Msgs->Shown.size(), 1u);
    EXPECT_EQ(Msgs->Shown[0].Text, QStringLiteral("通話中ではありません。\r\n\r\n(34: Selected line is not in voice session.)"));
    EXPECT_TRUE(LogText().contains("Selected line is not in voice session."));
}

TEST_F(OfficeTest, StackLinesFromItsOwnThreadsAreWrittenOnTheMainThread)
{
    // The agent routes the stack's log; a line from another thread waits
    // for the main thread.
    std::thread([] { linphone::LoggingService::get()->warning("probe from a stack thread"); }).join();
    EXPECT_FALSE(LogText().contains("probe from a stack thread"));
    ASSERT_TRUE(SipTest::WaitFor([&] { return LogText().contains("probe from a stack thread"); }, 5000));
    // From the main thread too, once the stack's step is over.
    linphone::LoggingService::get()->warning("probe from the main thread");
    ASSERT_TRUE(SipTest::WaitFor([&] { return LogText().contains("probe from the main thread"); }, 5000));
}
