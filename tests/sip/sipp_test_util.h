#pragma once
// Runs a sipp scenario on 127.0.0.1 for one test: the scenario text is
// written to a private folder, ports are free ones, and sipp ends by itself
// (-m calls, -timeout).
#include <QProcess>
#include <functional>
#include <QString>
#include <QStringList>
#include <memory>

namespace SipTest {
// A UDP port on 127.0.0.1 that nothing holds right now.
int FreeUdpPort();
// An even one (RTP) whose odd neighbour is free too.
int FreeRtpPort();
// Waits, pumping events, until pred() or timeoutMs passed.
bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 15000);
// A certificate authority and a server certificate for 127.0.0.1 and
// localhost, made with openssl in dir: ca.pem, server.pem, server.key.
bool MakeCertificates(const QString& dir);
}

// TLS in front of a TCP peer on loopback (Debian's sipp has no TLS): socat
// ends TLS with the server certificate and passes the stream on.
class TTlsFront
{
public:
    explicit TTlsFront(const QString& certDir);
    ~TTlsFront();
    bool Start(int tcpPort);
    int Port() const { return FPort; }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(FPort); }

private:
    QString FCertDir;
    int FPort = 0;
    std::unique_ptr<QProcess> FProc;
};

class TSipp
{
public:
    // remote empty: sipp waits for requests (UAS); else it calls remote (UAC).
    TSipp(const QString& scenarioXml, const QString& remote = QString(), int calls = 1, QStringList extra = {});
    ~TSipp();

    int Port() const { return FPort; }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(FPort); }
    bool Start();
    // Waits for sipp to end; true when every call of the scenario passed.
    bool Finish(int timeoutMs = 30000);
    int ExitCode() const { return FExit; }
    // Messages sipp sent and received (its -trace_msg file).
    QString Trace() const;
    QString Output() const;

private:
    bool Tcp() const { return FExtra.contains(QStringLiteral("t1")); }

    QString FDir;
    int FPort = 0;
    int FMediaPort = 0;
    int FCalls;
    QString FRemote;
    QStringList FExtra;
    std::unique_ptr<QProcess> FProc;
    int FExit = -1;
};
