// Softphone benchmark on loopback (prints figures; never run by ctest).
//  1. INVITE -> 180 Ringing as sipp sees it on the wire, against this
//     program's engine over UDP and over TLS, and against linphonec in the
//     same run. sipp has no TLS in Debian: its TCP goes through socat, which
//     adds a hop each way to the TLS figure.
//  2. CPU used by the process while the engine sits registered and idle.
#include "bench_sipp_u.h"
#include "log_u.h"
#include "settings_u.h"
#include "softphone_u.h"

#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>

using namespace BenchSipp;

namespace {

void PrintFigures(const char* what, std::vector<double> v)
{
    if (v.empty()) {
        std::printf("%-34s no samples\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    auto at = [&v](double q) { return v[std::min(v.size() - 1, static_cast<size_t>(q * (v.size() - 1) + 0.5))]; };
    std::printf("%-34s n=%zu  median %.2f ms  p95 %.2f ms  max %.2f ms\n", what, v.size(), at(0.5), at(0.95),
                v.back());
}

// A PBX reached over TLS: takes the engine's REGISTER, then calls it %CALLS%
// times over that connection (INVITE, 180, CANCEL), one after another.
// %SELF% is where it says it is (socat's TLS port).
const char* kTlsPbx = R"(<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="pbx-tls">
<recv request="REGISTER"/>
<send><![CDATA[
SIP/2.0 200 OK
[last_Via:]
[last_From:]
[last_To:];tag=[pid]reg
[last_Call-ID:]
[last_CSeq:]
Contact: <sip:100@127.0.0.1;transport=tls>;expires=3600
Expires: 3600
Content-Length: 0

]]></send>
<nop><action><assign assign_to="n" value="0"/></action></nop>
<label id="call"/>
<nop><action><add assign_to="n" value="1"/><test assign_to="more" variable="n" compare="less_than" value="%CALLS%"/></action></nop>
<pause milliseconds="100"/>
<send><![CDATA[
INVITE sip:100@127.0.0.1 SIP/2.0
Via: SIP/2.0/TLS %SELF%;branch=z9hG4bK[pid]c[$n]
From: <sip:caller[$n]@127.0.0.1>;tag=[pid]f[$n]
To: <sip:100@127.0.0.1>
Call-ID: [call_id]
CSeq: 1 INVITE
Contact: <sip:caller[$n]@%SELF%;transport=tls>
Max-Forwards: 70
Content-Type: application/sdp
Content-Length: [len]

v=0
o=user1 53655765 2353687637 IN IP4 127.0.0.1
s=-
c=IN IP4 127.0.0.1
t=0 0
m=audio [media_port] RTP/AVP 8 0
a=rtpmap:8 PCMA/8000
a=rtpmap:0 PCMU/8000
]]></send>
<recv response="100" optional="true"/>
<recv response="180"/>
<pause milliseconds="100"/>
<send><![CDATA[
CANCEL sip:100@127.0.0.1 SIP/2.0
Via: SIP/2.0/TLS %SELF%;branch=z9hG4bK[pid]c[$n]
From: <sip:caller[$n]@127.0.0.1>;tag=[pid]f[$n]
To: <sip:100@127.0.0.1>
Call-ID: [call_id]
CSeq: 1 CANCEL
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="200"/>
<recv response="487"/>
<send><![CDATA[
ACK sip:100@127.0.0.1 SIP/2.0
Via: SIP/2.0/TLS %SELF%;branch=z9hG4bK[pid]c[$n]
From: <sip:caller[$n]@127.0.0.1>;tag=[pid]f[$n]
[last_To:]
Call-ID: [call_id]
CSeq: 1 ACK
Max-Forwards: 70
Content-Length: 0

]]></send>
<nop test="more" next="call"/>
</scenario>
)";

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::vector<double> RunCalls(const QString& name, const QString& remote, int calls, const QStringList& extra = {})
{
    QString msg;
    QProcess* sipp = StartSipp(name, QString::fromLatin1(kUac), remote, calls, msg, extra);
    WaitFor([sipp] { return sipp->state() == QProcess::NotRunning; }, 180000);
    if (sipp->state() != QProcess::NotRunning) sipp->kill();
    if (sipp->exitCode() != 0) std::printf("  (sipp %s ended with %d)\n", qPrintable(name), sipp->exitCode());
    delete sipp;
    return InviteTo180(msg);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir tmp(QDir::tempPath() + "/kuruten-bench-XXXXXX");
    tmp.setAutoRemove(qEnvironmentVariableIsEmpty("KURUTEN_KEEP_BENCH_DIR"));
    BenchSipp::gDir = tmp.path();
    for (const char* sub : {"home", "runtime", "data"}) QDir().mkpath(gDir + "/" + sub);
    QFile::setPermissions(gDir + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", (gDir + "/home").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (gDir + "/runtime").toUtf8());
    QApplication app(argc, argv);
    const int calls = argc > 1 ? QString(argv[1]).toInt() : 200;
    const int idleSec = argc > 2 ? QString(argv[2]).toInt() : 20;

    TEnvValues env;
    env.gComputerName = "BENCH";
    env.gIpAddress = "127.0.0.1";
    env.gExeDir = gDir + "/";
    TSettings settings(gDir + "/data", env);
    settings.Initialize();
    TVaxAgentOptions options;
    options.WorkFolder = gDir + "/sip";
    options.DnsServers = {"127.0.0.1"};
    options.UseFiles = true;
    TSoftPhone phone(settings, options);
    phone.BindToListenAddress = true;
    phone.CreateVaxObjects(1);

    // Registered with a registrar on loopback.
    QString regMsg;
    QProcess* registrar = StartSipp("registrar", QString::fromLatin1(kRegistrar), QString(), 1, regMsg);
    const int regPort = registrar->property("port").toInt();
    TAccountRow row = {{"USERID", "100"}, {"PASSWD", "secret"}, {"SIPPLOXY", QString("127.0.0.1:%1").arg(regPort)},
                       {"REGIST_PROXY", "1"}, {"CHNUM", "1"}, {"CODECS", "2,3"}};
    phone.SetAccountSource([row](const QString&) { return std::optional<TAccountRow>(row); });
    phone.LoadSIPAccount();
    if (!phone.ConnectVax(0)) {
        std::printf("engine did not register\n");
        return 1;
    }
    registrar->waitForFinished(5000);
    delete registrar;
    const QString engine = QString("127.0.0.1:%1").arg(phone.gVaxObjects[0]->ListenPort());
    std::printf("engine registered on %s (%s)\n", qPrintable(engine), qPrintable(phone.gVaxObjects[0]->VersionText()));

    // Idle CPU while registered.
    Pump(1000);
    const double cpu0 = CpuSeconds();
    const qint64 t0 = QDateTime::currentMSecsSinceEpoch();
    Pump(idleSec * 1000);
    const double cpu = CpuSeconds() - cpu0;
    const double wall = (QDateTime::currentMSecsSinceEpoch() - t0) / 1000.0;
    std::printf("%-34s %.2f %% of one core over %.0f s\n", "idle CPU (registered)", 100.0 * cpu / wall, wall);

    // INVITE -> 180: this program.
    PrintFigures("INVITE -> 180 (kuruten3 engine, UDP)", RunCalls("uac-engine", engine, calls));

    // The same over TLS, the way a hosted PBX calls: over the connection the
    // engine's registration opened. sipp (TCP) sits behind socat, which ends
    // TLS with a certificate the engine is told to trust.
    {
        QProcess openssl;
        openssl.setWorkingDirectory(gDir);
        openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1",
                                  "-addext", "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1", "-keyout", "tls.key", "-out",
                                  "tls.pem"});
        openssl.waitForFinished(30000);
        QString tlsMsg;
        const int front = FreePort();
        QProcess* pbx = StartSipp("pbx-tls", QString::fromLatin1(kTlsPbx).replace("%CALLS%", QString::number(calls))
                                                 .replace("%SELF%", QString("127.0.0.1:%1").arg(front)),
                                  QString(), 1, tlsMsg, {"-t", "t1"}, 600);
        QProcess socat;
        socat.start("socat", {QString("OPENSSL-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork,cert=%2/tls.pem,key=%2/tls.key,"
                                      "verify=0,nodelay")
                                  .arg(front)
                                  .arg(gDir),
                              QString("TCP:127.0.0.1:%1,nodelay").arg(pbx->property("port").toInt())});
        socat.waitForStarted(5000);
        WaitFor([front] { return TakenTcp(front); }, 5000);
        TVaxAgentOptions tlsOptions = options;
        tlsOptions.WorkFolder = gDir + "/sip-tls";
        tlsOptions.RootCaFile = gDir + "/tls.pem";
        TSoftPhone tlsPhone(settings, tlsOptions);
        tlsPhone.BindToListenAddress = true;
        tlsPhone.CreateVaxObjects(1);
        TAccountRow tlsRow = row;
        tlsRow["SIPPLOXY"] = QString("127.0.0.1:%1;transport=tls").arg(front);
        tlsPhone.SetAccountSource([tlsRow](const QString&) { return std::optional<TAccountRow>(tlsRow); });
        tlsPhone.LoadSIPAccount();
        if (tlsPhone.ConnectVax(0)) {
            WaitFor([pbx] { return pbx->state() == QProcess::NotRunning; }, 600000);
            PrintFigures("INVITE -> 180 (kuruten3 engine, TLS)", InviteTo180(tlsMsg));
        } else {
            std::printf("TLS engine did not register\n");
        }
        if (pbx->state() != QProcess::NotRunning) pbx->kill();
        pbx->waitForFinished(5000);
        delete pbx;
        socat.kill();
        socat.waitForFinished(5000);
    }

    // INVITE -> 180: linphonec as the peer, in the same run.
    const int lport = FreePort();
    // linphonec refuses calls (503) when it cannot open its call database.
    QDir().mkpath(gDir + "/linphonec/.local/share/linphone");
    QFile rc(gDir + "/linphonec/rc");
    rc.open(QIODevice::WriteOnly);
    rc.write(QString("[sip]\nsip_port=%1\nsip_tcp_port=0\nbind_address=127.0.0.1\nuse_ipv6=0\ninc_timeout=600\n"
                     "[net]\nfirewall_policy=0\n[sound]\nplayback_dev_id=\ncapture_dev_id=\n"
                     "[video]\ncapture=0\ndisplay=0\n")
                 .arg(lport)
                 .toUtf8());
    rc.close();
    QProcess linphonec;
    QProcessEnvironment lenv = QProcessEnvironment::systemEnvironment();
    lenv.insert("HOME", gDir + "/linphonec");
    linphonec.setProcessEnvironment(lenv);
    linphonec.setStandardOutputFile(gDir + "/linphonec/out.log");
    linphonec.start("linphonec", {"-c", gDir + "/linphonec/rc"});
    // linphonec listens only once told to.
    bool up = linphonec.waitForStarted(5000);
    Pump(1000);
    up = up && linphonec.write(QString("ports sip %1\n").arg(lport).toUtf8()) > 0 &&
                    WaitFor([lport] { return Taken(lport); }, 15000);
    if (up) PrintFigures("INVITE -> 180 (linphonec)", RunCalls("uac-linphonec", QString("127.0.0.1:%1").arg(lport), calls));
    else std::printf("linphonec did not start (see %s)\n", qPrintable(gDir + "/linphonec/out.log"));
    linphonec.write("quit\n");
    if (!linphonec.waitForFinished(5000)) linphonec.kill();
    return 0;
}
