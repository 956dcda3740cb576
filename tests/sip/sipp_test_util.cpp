#include "sipp_test_util.h"

#include "env_test_util.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTimer>
#include <QUdpSocket>
#include <QUuid>

namespace SipTest {

int FreeUdpPort()
{
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
}

int FreeRtpPort()
{
    for (int i = 0; i < 100; ++i) {
        int p = FreeUdpPort() & ~1;
        QUdpSocket a, b;
        if (p > 1024 && a.bind(QHostAddress::LocalHost, p) && b.bind(QHostAddress::LocalHost, p + 1)) return p;
    }
    return 0;
}

bool WaitFor(const std::function<bool()>& pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired()) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

bool MakeCertificates(const QString& dir)
{
    QDir().mkpath(dir);
    auto run = [&dir](const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(dir);
        p.start(QStringLiteral("openssl"), args);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    QFile ext(dir + QStringLiteral("/server.ext"));
    if (!ext.open(QIODevice::WriteOnly)) return false;
    // The stack matches the host against DNS names only, even for an address.
    ext.write("subjectAltName=IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost\nextendedKeyUsage=serverAuth\n");
    ext.close();
    return run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=kuruten test CA",
                "-keyout", "ca.key", "-out", "ca.pem"}) &&
           run({"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", "server.key", "-out",
                "server.csr"}) &&
           run({"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-days",
                "2", "-extfile", "server.ext", "-out", "server.pem"});
}

} // namespace SipTest

TTlsFront::TTlsFront(const QString& certDir) : FCertDir(certDir)
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    FPort = probe.serverPort();
}

TTlsFront::~TTlsFront()
{
    if (FProc && FProc->state() != QProcess::NotRunning) {
        FProc->kill();
        FProc->waitForFinished(5000);
    }
}

bool TTlsFront::Start(int tcpPort)
{
    FProc = std::make_unique<QProcess>();
    FProc->setProcessChannelMode(QProcess::MergedChannels);
    FProc->setStandardOutputFile(FCertDir + QStringLiteral("/socat.log"));
    FProc->start(QStringLiteral("socat"),
                 {QStringLiteral("OPENSSL-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork,cert=%2/server.pem,key=%2/server.key,"
                                 "verify=0")
                      .arg(FPort)
                      .arg(FCertDir),
                  QStringLiteral("TCP:127.0.0.1:%1").arg(tcpPort)});
    if (!FProc->waitForStarted(5000)) return false;
    SipTest::WaitFor([this] {
        QTcpServer probe;
        return !probe.listen(QHostAddress::LocalHost, FPort) || FProc->state() == QProcess::NotRunning;
    }, 5000);
    return FProc->state() == QProcess::Running;
}

TSipp::TSipp(const QString& scenarioXml, const QString& remote, int calls, QStringList extra)
    : FCalls(calls), FRemote(remote), FExtra(std::move(extra))
{
    FDir = TestEnv::Root() + QStringLiteral("/sipp-") + QUuid::createUuid().toString(QUuid::Id128).left(10);
    QDir().mkpath(FDir);
    QFile f(FDir + QStringLiteral("/scenario.xml"));
    f.open(QIODevice::WriteOnly);
    f.write(scenarioXml.toUtf8());
    f.close();
    FPort = SipTest::FreeUdpPort();
    FMediaPort = SipTest::FreeRtpPort();
}

TSipp::~TSipp()
{
    if (FProc && FProc->state() != QProcess::NotRunning) {
        FProc->kill();
        FProc->waitForFinished(5000);
    }
}

bool TSipp::Start()
{
    QStringList args = {QStringLiteral("-sf"), FDir + QStringLiteral("/scenario.xml"),
                        QStringLiteral("-i"), QStringLiteral("127.0.0.1"),
                        QStringLiteral("-p"), QString::number(FPort),
                        QStringLiteral("-mi"), QStringLiteral("127.0.0.1"),
                        QStringLiteral("-mp"), QString::number(FMediaPort),
                        QStringLiteral("-m"), QString::number(FCalls),
                        QStringLiteral("-timeout"), QStringLiteral("40s"),
                        QStringLiteral("-timeout_error"),
                        QStringLiteral("-nostdin"),
                        QStringLiteral("-trace_msg"), QStringLiteral("-message_file"), FDir + QStringLiteral("/msg.log"),
                        QStringLiteral("-trace_err"), QStringLiteral("-error_file"), FDir + QStringLiteral("/err.log")};
    args << FExtra;
    if (!FRemote.isEmpty()) args << FRemote;
    FProc = std::make_unique<QProcess>();
    FProc->setWorkingDirectory(FDir);
    FProc->setProcessChannelMode(QProcess::MergedChannels);
    FProc->setStandardOutputFile(FDir + QStringLiteral("/out.log"));
    FProc->start(QStringLiteral("sipp"), args);
    if (!FProc->waitForStarted(5000)) return false;
    // Ready once its SIP port is taken.
    SipTest::WaitFor([this] {
        if (FProc->state() == QProcess::NotRunning) return true;
        if (Tcp()) {
            QTcpServer probe;
            return !probe.listen(QHostAddress::LocalHost, FPort);
        }
        QUdpSocket probe;
        return !probe.bind(QHostAddress::LocalHost, FPort);
    }, 5000);
    return FProc->state() == QProcess::Running;
}

bool TSipp::Finish(int timeoutMs)
{
    if (!FProc) return false;
    SipTest::WaitFor([this] { return FProc->state() == QProcess::NotRunning; }, timeoutMs);
    if (FProc->state() != QProcess::NotRunning) {
        FProc->kill();
        FProc->waitForFinished(5000);
        return false;
    }
    FExit = FProc->exitCode();
    return FProc->exitStatus() == QProcess::NormalExit && FExit == 0;
}

QString TSipp::Trace() const
{
    QFile f(FDir + QStringLiteral("/msg.log"));
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

QString TSipp::Output() const
{
    QString all;
    for (const char* name : {"/out.log", "/err.log"}) {
        QFile f(FDir + QLatin1String(name));
        if (f.open(QIODevice::ReadOnly)) all += QString::fromUtf8(f.readAll()).right(3000);
    }
    return all;
}
