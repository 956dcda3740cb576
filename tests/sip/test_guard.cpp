// What the network may send to the SIP port: the datagrams that crashed the
// stack are dropped before it reads them, good ones pass, and a run of
// mutated messages leaves the engine alive with every accepted call in the
// pipeline once.
#include "sip_fixture.h"
#include "sip_guard_u.h"

#include <QRegularExpression>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

#include <random>
#include <set>

namespace {

QByteArray Invite(int port, const QString& callId, const QByteArray& from, const QByteArray& extraHeaders = {})
{
    const QByteArray sdp = "v=0\r\no=u 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\n"
                           "m=audio 9000 RTP/AVP 8 0\r\na=rtpmap:8 PCMA/8000\r\n";
    return "INVITE sip:100@127.0.0.1:" + QByteArray::number(port) +
           " SIP/2.0\r\nVia: SIP/2.0/UDP 127.0.0.1:9;branch=z9hG4bK" + callId.toLatin1() + ";rport\r\nFrom: " + from +
           ";tag=a" + callId.toLatin1() + "\r\nTo: <sip:100@127.0.0.1:" + QByteArray::number(port) +
           ">\r\nCall-ID: " + callId.toLatin1() + "\r\nCSeq: 1 INVITE\r\nContact: <sip:caller@127.0.0.1:9>\r\n" +
           "Max-Forwards: 70\r\n" + extraHeaders + "Content-Type: application/sdp\r\nContent-Length: " +
           QByteArray::number(sdp.size()) + "\r\n\r\n" + sdp;
}

QByteArray OptionsRequest(const QByteArray& extraHeaders = {}, const QByteArray& body = {})
{
    QByteArray m = "OPTIONS sip:100@127.0.0.1 SIP/2.0\r\nVia: SIP/2.0/UDP 127.0.0.1:9;branch=z9hG4bKo1;rport\r\n"
                   "From: <sip:x@127.0.0.1>;tag=1\r\nTo: <sip:100@127.0.0.1>\r\nCall-ID: opt1\r\nCSeq: 1 OPTIONS\r\n"
                   "Max-Forwards: 70\r\n" +
                   extraHeaders;
    if (!body.isEmpty()) m += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return m + "\r\n" + body;
}

const QByteArray kRegisterOk = "SIP/2.0 200 OK\r\nVia: SIP/2.0/UDP 127.0.0.1:5060;branch=z9hG4bKr1;rport=5060\r\n"
                               "From: <sip:100@127.0.0.1>;tag=c1\r\nTo: <sip:100@127.0.0.1>;tag=d\r\n"
                               "Call-ID: r1\r\nCSeq: 2 REGISTER\r\nContact: <sip:100@127.0.0.1:5060>;expires=3600\r\n"
                               "Content-Length: 0\r\n\r\n";

} // namespace

TEST(SipDatagramFaultTest, DropsWhatCrashedTheStackAndPassesGoodMessages)
{
    struct Case { const char* Name; QByteArray Datagram; const char* Fault; };
    const Case cases[] = {
        // Good messages pass (empty fault).
        {"INVITE", Invite(5060, "c1", "\"0312345678\" <sip:caller@127.0.0.1>"), ""},
        {"OPTIONS", OptionsRequest(), ""},
        {"REGISTER answer", kRegisterOk, ""},
        {"compact headers", "BYE sip:100@127.0.0.1 SIP/2.0\r\nv: SIP/2.0/UDP 127.0.0.1:9;branch=z9hG4bKb\r\n"
                            "f: <sip:x@127.0.0.1>;tag=1\r\nt: <sip:100@127.0.0.1>;tag=2\r\ni: b1\r\nCSeq: 3 BYE\r\n"
                            "Max-Forwards: 70\r\nl: 0\r\n\r\n", ""},
        {"folded header", OptionsRequest("Subject: a long\r\n  subject\r\n"), ""},
        {"UTF-8 display name", Invite(5060, "c2", "\"田中商事 営業部\" <sip:0312345678@127.0.0.1>"), ""},
        // The stack's triggers.
        {"keep-alive", "\r\n\r\n", "keep-alive"},
        {"header-less response", "SIP/2.0 200 OK\r\n\r\n", "no Via"},
        {"line that is not a header", OptionsRequest(";;;\r\n"), "line without header name"},
        {"multipart without boundary", OptionsRequest("Content-Type: multipart/mixed\r\n", "hello there"), "multipart body"},
        {"body longer than said", OptionsRequest("Content-Type: text/plain\r\n", "hello").replace("Length: 5", "Length: 3"),
         "Content-Length does not match the body"},
        {"body shorter than said", OptionsRequest("Content-Type: text/plain\r\n", "hello").replace("Length: 5", "Length: 1111"),
         "Content-Length does not match the body"},
        {"body without length", OptionsRequest().append("v=0\r\n"), "body without Content-Length"},
        // Other ways to leave the stack's reader in the middle of a message.
        {"no end of headers", "OPTIONS sip:a SIP/2.0\r\nVia: SIP/2.0/UDP 127.0.0.1:9\r\n", "no end of headers"},
        {"bare LF", QByteArray(OptionsRequest()).replace("\r\nCSeq", "\nCSeq"), "bare LF"},
        {"NUL byte", QByteArray(OptionsRequest()).replace("opt1", QByteArray("op\0t", 4)), "control character"},
        {"bad request line", QByteArray(OptionsRequest()).replace("SIP/2.0\r\nVia", "SIP/2<>.0\r\nVia"), "bad request line"},
        {"two From headers", OptionsRequest("From: <sip:y@127.0.0.1>;tag=2\r\n"), "not one from header"},
        {"CSeq of another method", QByteArray(OptionsRequest()).replace("1 OPTIONS", "1 INVITE"), "CSeq of another method"},
        {"encoded body", OptionsRequest("Content-Encoding: deflate\r\nContent-Type: text/plain\r\n", "xx"), "encoded body"},
        // Well formed to the eye, not to the stack's parser (the reason phrase is missing).
        {"status line without reason", QByteArray(kRegisterOk).replace("200 OK", "200"), "not a SIP message"},
        {"empty", QByteArray(), "empty"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SipDatagramFault(c.Datagram), QString::fromUtf8(c.Fault)) << c.Name;
}

TEST(SipStreamStateTest, WholeMessagesPassPartsWaitTheRestEnds)
{
    const QByteArray options = OptionsRequest();
    struct Case { const char* Name; QByteArray Pending; TSipStream State; const char* Fault; };
    const Case cases[] = {
        {"one message", options, TSipStream::Ready, ""},
        {"two messages and keep-alives", "\r\n\r\n" + options + "\r\n" + options, TSipStream::Ready, ""},
        {"headers still arriving", options.left(40), TSipStream::Incomplete, ""},
        {"body still arriving", OptionsRequest("Content-Type: text/plain\r\n", "hello").chopped(2),
         TSipStream::Incomplete, ""},
        {"header-less response", "SIP/2.0 200 OK\r\n\r\n", TSipStream::Bad, "no Via"},
        {"a good message, then junk", options + "hello\r\n\r\n", TSipStream::Bad, "bad request line"},
        {"multipart", OptionsRequest("Content-Type: multipart/mixed\r\n", "hello there"), TSipStream::Bad,
         "multipart body"},
    };
    for (const auto& c : cases) {
        QString fault;
        EXPECT_EQ(SipStreamState(c.Pending, &fault), c.State) << c.Name;
        EXPECT_EQ(fault, QString::fromUtf8(c.Fault)) << c.Name;
    }
}

class GuardTest : public TSipFixture
{
protected:
    void SetUp() override
    {
        TSipFixture::SetUp();
        Settings->KeepAlive = false;
        Row = AccountRow(QStringLiteral("127.0.0.1:5999"), false);
        ASSERT_TRUE(Connect());
        ASSERT_TRUE(Peer.bind(QHostAddress::LocalHost, 0));
        QObject::connect(&Peer, &QUdpSocket::readyRead, [this] {
            while (Peer.hasPendingDatagrams()) Answers << QString::fromUtf8(Peer.receiveDatagram().data());
        });
    }
    void Send(const QByteArray& d) { Peer.writeDatagram(d, QHostAddress::LocalHost, EnginePort()); }
    // The engine still answers: a fresh OPTIONS gets its 200.
    bool Answers200To(const QString& callId)
    {
        Send(QByteArray(OptionsRequest()).replace("opt1", callId.toLatin1()).replace("z9hG4bKo1", "z9hG4bK" + callId.toLatin1()));
        return SipTest::WaitFor([&] {
            for (const QString& a : Answers)
                if (a.startsWith("SIP/2.0 200") && a.contains("Call-ID: " + callId)) return true;
            return false;
        }, 5000);
    }

    // Rejects what rings, so calls never fill every slot.
    void RejectRinging()
    {
        for (int k = 0; k < 20 && !Phone->FIcomingCallId.isEmpty(); ++k) Phone->btnHangUpClick();
    }

    QUdpSocket Peer;
    QStringList Answers;
};

TEST_F(GuardTest, TriggersFromOneSenderLeaveTheEngineAnswering)
{
    // Each crashed the stack when sent from one address in this order.
    const std::vector<std::vector<QByteArray>> triggers = {
        {"SIP/2.0 200 OK\r\n\r\n", "\r\n\r\n"},
        {"SIP/2.0 999 X\r\n\r\n", "hello\r\n\r\n"},
        {OptionsRequest(";;;\r\n"), "\r\n\r\n"},
        {OptionsRequest("Content-Type: multipart/mixed\r\n", "hello there")},
    };
    int n = 0;
    for (const auto& sequence : triggers) {
        for (const QByteArray& d : sequence) Send(d);
        EXPECT_TRUE(Answers200To(QStringLiteral("alive%1").arg(++n))) << n;
    }
    EXPECT_TRUE(LogText().contains(QStringLiteral("SIPメッセージを破棄しました: no Via 送信元=127.0.0.1:%1 "
                                                  "先頭=SIP/2.0 200 OK\\r\\n\\r\\n")
                                       .arg(Peer.localPort())));
    EXPECT_TRUE(LogText().contains("SIPメッセージを破棄しました: multipart body"));
}

TEST_F(GuardTest, TriggersOverTcpEndTheirConnectionAndTheEngineAnswers)
{
    Row = AccountRow(QStringLiteral("127.0.0.1:5999;transport=tcp"), false);
    ASSERT_TRUE(Connect());
    auto optionsAnswered = [this](const QByteArray& callId) {
        QTcpSocket peer;
        peer.connectToHost(QHostAddress::LocalHost, quint16(EnginePort()));
        if (!peer.waitForConnected(3000)) return false;
        peer.write(QByteArray(OptionsRequest()).replace("opt1", callId).replace("UDP 127.0.0.1:9", "TCP 127.0.0.1:9"));
        QByteArray answer;
        SipTest::WaitFor([&] {
            answer += peer.readAll();
            return answer.contains("\r\n\r\n");
        }, 5000);
        return answer.startsWith("SIP/2.0 200") && answer.contains("Call-ID: " + callId);
    };
    const std::vector<std::vector<QByteArray>> triggers = {
        {"SIP/2.0 200 OK\r\n\r\n", "hello\r\n\r\n"},
        {OptionsRequest(";;;\r\n"), "junk\r\n\r\n"},
        {OptionsRequest("Content-Type: multipart/mixed\r\n", "hello there")},
    };
    int n = 0;
    for (const auto& sequence : triggers) {
        QTcpSocket attacker;
        attacker.connectToHost(QHostAddress::LocalHost, quint16(EnginePort()));
        ASSERT_TRUE(attacker.waitForConnected(3000));
        for (const QByteArray& part : sequence) {
            attacker.write(part);
            attacker.waitForBytesWritten(1000);
            SipTest::WaitFor([] { return false; }, 100);
        }
        // Its connection is ended; the engine goes on answering.
        EXPECT_TRUE(SipTest::WaitFor([&] { return attacker.state() != QAbstractSocket::ConnectedState; }, 3000)) << n;
        EXPECT_TRUE(optionsAnswered(QByteArray("tcp-alive") + QByteArray::number(++n))) << n;
    }
    EXPECT_TRUE(LogText().contains("SIPメッセージを破棄しました: no Via 送信元=tcp:127.0.0.1:"));
}

namespace {
// Mutations that found the stack's triggers: lines dropped, doubled or
// replaced, bytes flipped, cut short, line breaks and lengths broken.
class TMutator
{
public:
    explicit TMutator(unsigned seed) : FRandom(seed) {}

    QByteArray Mutate(QByteArray m)
    {
        const int rounds = Pick(3) + 1;
        for (int r = 0; r < rounds; ++r) {
            QList<QByteArray> lines = m.split('\n');
            switch (Pick(9)) {
            case 0: if (lines.size() > 2) lines.removeAt(1 + Pick(lines.size() - 1)); m = lines.join('\n'); break;
            case 1: if (lines.size() > 2) { const int i = 1 + Pick(lines.size() - 1); lines.insert(i, lines[i]); }
                    m = lines.join('\n'); break;
            case 2: m.truncate(Pick(m.size() + 1)); break;
            case 3: for (int k = Pick(5) + 1; k > 0 && !m.isEmpty(); --k) m[Pick(m.size())] = char(Pick(256)); break;
            case 4: if (lines.size() > 2) { const int i = 1 + Pick(lines.size() - 1);
                        const qsizetype colon = lines[i].indexOf(':');
                        if (colon > 0) lines[i] = lines[i].left(colon + 1) + ' ' + Junk() + '\r'; }
                    m = lines.join('\n'); break;
            case 5: lines.insert(1, Header() + ": " + Junk() + '\r'); m = lines.join('\n'); break;
            case 6: m.replace("\r\n", "\n"); break;
            case 7: lines[0] = StartLine() + '\r'; m = lines.join('\n'); break;
            default: m.insert(Pick(m.size() + 1), Junk()); break;
            }
        }
        return m;
    }

private:
    int Pick(qsizetype n) { return n <= 0 ? 0 : int(FRandom() % quint32(n)); }
    QByteArray Junk()
    {
        static const char* junk[] = {"", " ", ";;;", "<>", "<sip:>", "\"", "sip:@", "999999999999999999999", "-1",
                                     "multipart/mixed", "multipart/mixed;boundary=", "\r\n", "\r\n\r\n", "a;b=\"",
                                     "SIP/2.0/UDP", "0", "deflate", "chunked", "<sip:a@b>;tag=", "[", "65536"};
        return junk[Pick(std::size(junk))];
    }
    QByteArray Header()
    {
        static const char* names[] = {"Via", "From", "To", "Call-ID", "CSeq", "Contact", "Content-Length",
                                      "Content-Type", "Max-Forwards", "Content-Encoding", "Record-Route", "Route",
                                      "Expires", "Event", "Require", "Supported", "Transfer-Encoding", "l", "v"};
        return names[Pick(std::size(names))];
    }
    QByteArray StartLine()
    {
        static const char* lines[] = {"SIP/2.0 200 OK", "SIP/2.0 100 Trying", "SIP/2.0 999 X", "SIP/2.0 180",
                                      "INVITE sip:x SIP/2.0", "ACK sip:100@127.0.0.1 SIP/2.0", "CANCEL sip:a SIP/2.0",
                                      "PRACK sip:a SIP/2.0", "NOTIFY sip:a SIP/2.0", "SIP/2.0 401 Unauthorized"};
        return lines[Pick(std::size(lines))];
    }
    std::mt19937 FRandom;
};
} // namespace

TEST_F(GuardTest, MutatedMessagesLeaveTheEngineAliveAndEveryAcceptedCallLoggedOnce)
{
    constexpr int kMutated = 300;
    constexpr int kCallEvery = 10;
    TMutator mutator(14);
    std::set<QString> callers; // the good calls, one number each
    int sent = 0;
    for (int i = 0; i < kMutated; ++i) {
        const QString id = QStringLiteral("fz%1").arg(i);
        const QByteArray templates[] = {
            Invite(EnginePort(), id, "\"0312345678\" <sip:caller@127.0.0.1:9>"),
            QByteArray(OptionsRequest()).replace("opt1", id.toLatin1()),
            QByteArray(kRegisterOk).replace("r1", id.toLatin1()),
            "SIP/2.0 200 OK\r\n\r\n",
            "CANCEL sip:100@127.0.0.1 SIP/2.0\r\nVia: SIP/2.0/UDP 127.0.0.1:9;branch=z9hG4bK" + id.toLatin1() +
                "\r\nFrom: <sip:x@127.0.0.1>;tag=1\r\nTo: <sip:100@127.0.0.1>\r\nCall-ID: " + id.toLatin1() +
                "\r\nCSeq: 1 CANCEL\r\nMax-Forwards: 70\r\nContent-Length: 0\r\n\r\n",
        };
        Send(mutator.Mutate(templates[i % std::size(templates)]));
        ++sent;
        if (i % kCallEvery == 0) {
            const QString number = QStringLiteral("06%1").arg(1000000 + i);
            callers.insert(number);
            Send(Invite(EnginePort(), QStringLiteral("good%1").arg(i), QStringLiteral("<sip:%1@127.0.0.1:9>").arg(number).toLatin1()));
        }
        SipTest::WaitFor([] { return false; }, 5);
        RejectRinging();
    }
    SipTest::WaitFor([] { return false; }, 1000);
    RejectRinging();
    EXPECT_TRUE(Answers200To(QStringLiteral("after-fuzz")));

    // Every call the engine accepted (answered 180) reached the pipeline once.
    std::set<QString> rang;
    const QRegularExpression callId(QStringLiteral("Call-ID: *(\\S+)"));
    for (const QString& a : Answers)
        if (a.startsWith("SIP/2.0 180")) rang.insert(callId.match(a).captured(1));
    EXPECT_EQ(Submits.size(), rang.size());
    std::multiset<QString> submitted;
    for (const auto& s : Submits) submitted.insert(s.TelNo);
    for (const QString& number : callers) EXPECT_EQ(submitted.count(number), 1u) << number.toStdString();
    EXPECT_GT(LogText().count("SIPメッセージを破棄しました"), 0);
    EXPECT_EQ(sent, kMutated);
}
