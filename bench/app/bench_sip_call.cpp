// A SIP call from sipp to the caller's name on screen with the call-log row
// committed, through the main window on a year of data; then a soak of one
// call per second with the rows counted and the memory growth printed.
//   bench_sip_call [calls=200] [soak-calls=600]
#include "bench_data_u.h"
#include "bench_sipp_u.h"
#include "dm_cmn_u.h"
#include "frm_main_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "softphone_u.h"
#include "vaxsip_agent_u.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <map>

using namespace BenchData;
using namespace BenchSipp;

namespace {
double WallUs()
{
    return double(std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count());
}

long RssKb()
{
    QFile f("/proc/self/status");
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

QString Scalar(TdmCmn& dm, const QString& sql)
{
    dm.sqlWork.SQL = sql;
    dm.sqlWork.Open();
    TFbQuery::TCloser c(dm.sqlWork);
    return dm.sqlWork.Eof() ? QString() : dm.sqlWork.Field(0).AsString();
}

// Runs `calls` sipp calls at `rate` per second; returns INVITE -> shown (ms)
// per call, watching the number box every millisecond.
std::vector<double> Calls(const QString& name, const QString& engine, int calls, int rate, QLineEdit* number)
{
    std::map<QString, double> shown;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QString n = number->text();
        if (n.startsWith("caller") && !shown.count(n)) shown[n] = WallUs();
    });
    watch.start();
    QString msg;
    // sipp's own time limit covers the whole run at this rate.
    QProcess* sipp = StartSipp(name, QString::fromLatin1(kUac), engine, calls, msg, {"-r", QString::number(rate)},
                               calls / rate + 120);
    WaitFor([sipp] { return sipp->state() == QProcess::NotRunning; }, calls * 2000 + 60000);
    if (sipp->state() != QProcess::NotRunning) sipp->kill();
    if (sipp->exitCode() != 0) std::printf("  (sipp ended with %d)\n", sipp->exitCode());
    delete sipp;
    Pump(200);
    std::vector<double> ms;
    for (const auto& [user, sentUs] : InviteSentByUser(msg))
        if (shown.count(user)) ms.push_back((shown[user] - sentUs) / 1000.0);
    return ms;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir tmp(QDir::tempPath() + "/kuruten-bench-XXXXXX");
    gDir = tmp.path();
    for (const char* sub : {"home", "runtime", "cfg"}) QDir().mkpath(gDir + "/" + sub);
    QFile::setPermissions(gDir + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", (gDir + "/home").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (gDir + "/runtime").toUtf8());
    qputenv("XDG_CONFIG_HOME", (gDir + "/cfg").toUtf8());
    qputenv("KURUTEN_COMMON_APPDATA", gDir.toUtf8());
    QApplication app(argc, argv);
    const int calls = argc > 1 ? QString(argv[1]).toInt() : 200;
    const int soak = argc > 2 ? QString(argv[2]).toInt() : 600;

    TSettings settings(gDir, TEnvValues{"BENCH", "127.0.0.1", "BENCH", gDir + "/"});
    settings.Initialize();
    settings.WriteText("UDP", "BROADCAST_ADDRESS", "127.0.0.1");
    settings.WriteText("LINK", "ENABLED", "1"); // no question at the upgrade
    settings.LoadSettings();
    TLog log(settings.LogFolder(), "BENCH");
    TLog::SetCurrent(&log);
    Msg::SetResponder([](const TMsgRequest& r) { return (r.Buttons & mbNo) ? int(mbNo) : int(mbOK); });
    QDir().mkpath(settings.SharedFolder());
    Build(settings.DefaultDatabaseFile());

    QString regMsg;
    QProcess* registrar = StartSipp("registrar", QString::fromLatin1(kRegistrar), QString(), 1, regMsg);
    const QString proxy = QString("127.0.0.1:%1").arg(registrar->property("port").toInt());

    TAppState state;
    TdmCmn dm(settings);
    {
        TfrmMain frm(settings, state, dm);
        frm.SipStart.DnsServers = {"127.0.0.1"};
        frm.SipStart.BindToListenAddress = true;
        frm.SipStart.UseFiles = true;
        if (!frm.FormCreate()) return 1;
        TAccount account;
        account.UserId = "100";
        account.Password = "secret";
        account.SipProxy = proxy;
        account.Codecs = "2,3";
        dm.ReplaceAccount(account);
        frm.show();
        if (!WaitFor([&] { return frm.Phone()->gVaxSips[0].Registered; }, 15000)) {
            std::printf("engine did not register\n");
            return 1;
        }
        registrar->waitForFinished(5000);
        delete registrar;
        const QString engine = QString("127.0.0.1:%1").arg(frm.Phone()->gVaxObjects[0]->ListenPort());
        auto* number = frm.findChild<QLineEdit*>("edtCall");
        std::printf("engine registered on %s; %d LOG rows in the database\n", qPrintable(engine), kLogRows);

        Report("INVITE -> name shown, row committed", Calls("burst", engine, calls, 10, number));

        const int before = Scalar(dm, "select count(*) from LOG").toInt();
        const long rss0 = RssKb();
        const std::vector<double> soakMs = Calls("soak", engine, soak, 1, number);
        const int after = Scalar(dm, "select count(*) from LOG").toInt();
        Report("soak: INVITE -> name shown", soakMs);
        std::printf("  soak: %d calls sent, %d LOG rows written, %zu shown; RSS %ld kB -> %ld kB (%+ld kB)\n", soak,
                    after - before, soakMs.size(), rss0, RssKb(), RssKb() - rss0);
        frm.FormDestroy();
    }
    dm.CloseDatabase();
    TLog::SetCurrent(nullptr);
    return 0;
}
