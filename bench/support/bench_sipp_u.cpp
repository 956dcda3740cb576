#include "bench_sipp_u.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace BenchSipp {

QString gDir;



namespace {
// Held by anyone (a plain bind without SO_REUSEADDR fails).
bool TakenOfType(int port, int type)
{
    const int fd = ::socket(AF_INET, type, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool taken = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0;
    ::close(fd);
    return taken;
}
} // namespace

bool Taken(int port)
{
    return TakenOfType(port, SOCK_DGRAM);
}

bool TakenTcp(int port)
{
    return TakenOfType(port, SOCK_STREAM);
}

int FreePort()
{
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
}

void Pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitFor(const std::function<bool()>& pred, int ms)
{
    QDeadlineTimer d(ms);
    while (!pred()) {
        if (d.hasExpired()) return false;
        Pump(5);
    }
    return true;
}

// One caller after another: INVITE, 180, then CANCEL.
const char* kUac = R"(<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="bench">
<send retrans="500"><![CDATA[
INVITE sip:100@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]x[call_number]inv
From: <sip:caller[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
To: <sip:100@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 INVITE
Contact: sip:caller[call_number]@[local_ip]:[local_port]
Max-Forwards: 70
Content-Type: application/sdp
Content-Length: [len]

v=0
o=user1 53655765 2353687637 IN IP[local_ip_type] [local_ip]
s=-
c=IN IP[media_ip_type] [media_ip]
t=0 0
m=audio [media_port] RTP/AVP 8 0
a=rtpmap:8 PCMA/8000
a=rtpmap:0 PCMU/8000
]]></send>
<recv response="100" optional="true"/>
<recv response="180"/>
<pause milliseconds="100"/>
<send><![CDATA[
CANCEL sip:100@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]x[call_number]inv
From: <sip:caller[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
To: <sip:100@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 CANCEL
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="200"/>
<recv response="487"/>
<send><![CDATA[
ACK sip:100@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=z9hG4bK[pid]x[call_number]inv
[last_From:]
[last_To:]
Call-ID: [call_id]
CSeq: 1 ACK
Max-Forwards: 70
Content-Length: 0

]]></send>
<pause milliseconds="100"/>
</scenario>
)";

const char* kRegistrar = R"(<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="registrar">
<recv request="REGISTER"/>
<send><![CDATA[
SIP/2.0 200 OK
[last_Via:]
[last_From:]
[last_To:];tag=[pid]SIPpTag01[call_number]
[last_Call-ID:]
[last_CSeq:]
Contact: <sip:100@[remote_ip]:[remote_port]>;expires=3600
Expires: 3600
Content-Length: 0

]]></send>
</scenario>
)";

// Starts sipp; returns the process (running) and the message file.
QProcess* StartSipp(const QString& name, const QString& xml, const QString& remote, int calls, QString& msgFile,
                    const QStringList& extra, int timeoutSec)
{
    const QString dir = gDir + "/" + name;
    QDir().mkpath(dir);
    QFile f(dir + "/scenario.xml");
    f.open(QIODevice::WriteOnly);
    f.write(xml.toUtf8());
    f.close();
    msgFile = dir + "/msg.log";
    const int port = FreePort();
    QStringList args = {"-sf", dir + "/scenario.xml", "-i", "127.0.0.1", "-p", QString::number(port),
                        "-mi", "127.0.0.1", "-mp", QString::number(FreePort() & ~1), "-m", QString::number(calls),
                        "-l", "1", "-timeout", QString::number(timeoutSec) + "s", "-timeout_error", "-nostdin", "-trace_msg",
                        "-message_file", msgFile};
    args << extra;
    if (!remote.isEmpty()) args << remote;
    auto* p = new QProcess;
    p->setStandardOutputFile(dir + "/out.log");
    p->start("sipp", args);
    p->waitForStarted(5000);
    const bool tcp = extra.contains("t1");
    WaitFor([port, tcp] { return tcp ? TakenTcp(port) : Taken(port); }, 5000);
    p->setProperty("port", port);
    return p;
}

// Microseconds of a sipp trace stamp "2026-12-10 00:33:46.703913".
double StampUs(const QString& stamp)
{
    const QDateTime at = QDateTime::fromString(stamp.left(19), "yyyy-MM-dd HH:mm:ss");
    if (!at.isValid()) return -1;
    return at.toSecsSinceEpoch() * 1e6 + stamp.mid(20, 6).toDouble();
}

// INVITE sent -> 180 received per Call-ID, in ms, from sipp's trace.
std::vector<double> InviteTo180(const QString& msgFile)
{
    QFile f(msgFile);
    f.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(f.readAll());
    const QStringList blocks =
        text.split(QRegularExpression("^-{20,} ", QRegularExpression::MultilineOption), Qt::SkipEmptyParts);
    std::map<QString, double> sent;
    std::vector<double> result;
    const QRegularExpression callId("^Call-ID: *(\\S+)", QRegularExpression::MultilineOption);
    for (const QString& b : blocks) {
        const double us = StampUs(b.section('\n', 0, 0).trimmed());
        const auto m = callId.match(b);
        if (us < 0 || !m.hasMatch()) continue;
        const QString id = m.captured(1);
        if (b.contains("message sent") && b.contains("\nINVITE sip:")) {
            if (!sent.count(id)) sent[id] = us;
        } else if (b.contains("message received") && b.contains("\nSIP/2.0 180")) {
            auto it = sent.find(id);
            if (it != sent.end()) {
                result.push_back((us - it->second) / 1000.0);
                sent.erase(it);
            }
        }
    }
    return result;
}


std::map<QString, double> InviteSentByUser(const QString& msgFile)
{
    QFile f(msgFile);
    f.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(f.readAll());
    const QStringList blocks =
        text.split(QRegularExpression("^-{20,} ", QRegularExpression::MultilineOption), Qt::SkipEmptyParts);
    const QRegularExpression from("^From: *<sip:([^@>]+)@", QRegularExpression::MultilineOption);
    std::map<QString, double> sent;
    for (const QString& b : blocks) {
        if (!b.contains("message sent") || !b.contains("\nINVITE sip:")) continue;
        const double us = StampUs(b.section('\n', 0, 0).trimmed());
        const auto m = from.match(b);
        if (us >= 0 && m.hasMatch() && !sent.count(m.captured(1))) sent[m.captured(1)] = us;
    }
    return sent;
}

} // namespace BenchSipp
