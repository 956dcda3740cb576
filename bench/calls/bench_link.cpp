// The links, timed on a real X display (bench/calls/run.sh starts Xvfb and
// jwm) with the receiving program of the tests running:
//  - an EXE entry: the number sent to the receiver's open window;
//  - a URL entry whose program (link_forward) hands the address to the
//    running receiver, as a browser's second start does;
// each from the launch alone and from the hand-off of a whole call; and a
// caller's name from an external SQLite database of 100,000 customers
// through ODBC, with and without an index on the number column.
#include "bench_data_u.h"
#include "dm_cmn_u.h"
#include "frm_main_u.h"
#include "link_prog_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "single_instance_u.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdio>

using namespace BenchData;

namespace {
qint64 Now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Monotonic times of the COPYDATA lines the receiver wrote.
QList<qint64> Received(const QString& file)
{
    QFile f(file);
    QList<qint64> out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("COPYDATA\t")) out << line.split('\t').value(1).toLongLong();
    return out;
}

// Runs start(i) and waits (letting the window work) for the receiver's line.
double UntilReceived(const QString& file, int before, const std::function<void()>& start)
{
    const qint64 t0 = Now();
    start();
    QElapsedTimer wait;
    wait.start();
    QList<qint64> got;
    while ((got = Received(file)).size() <= before && wait.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(200);
    }
    // Nothing arrives when the receiver is missing: no use in going on.
    if (got.size() <= before) qFatal("the receiver got nothing within 10 s");
    return double(got.last() - t0) / 1e6;
}

void HandOff(TfrmMain& frm, const QString& number)
{
    THandOffPacket p;
    p.DwData = 1;
    p.Data = number.toUtf8();
    frm.OnDemoActivate(p);
}

// The customer table of another application: number, name, reading.
void MakeExternal(const QString& connection, bool index)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "make");
    db.setDatabaseName(connection);
    if (!db.open()) qFatal("external database: %s", qPrintable(connection));
    QSqlQuery q(db);
    q.exec("create table CUSTOMER (CUST_TEL_NON varchar(20), CUST_NAME varchar(60), CUST_KANA varchar(60))");
    db.transaction();
    q.prepare("insert into CUSTOMER values (?, ?, ?)");
    for (int i = 0; i < 100000; ++i) {
        q.addBindValue(QStringLiteral("06%1").arg(i, 8, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("外部顧客%1株式会社").arg(i));
        q.addBindValue(QStringLiteral("ガイブコキャク%1").arg(i));
        q.exec();
    }
    db.commit();
    if (index) q.exec("create index CUSTOMER_TEL on CUSTOMER (CUST_TEL_NON)");
    q.finish();
    db.close();
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("needs an X display: run bench/calls/run.sh\n");
        return 1;
    }
    // The program's own windows stay off screen; the link reaches $DISPLAY.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString receiver = QFileInfo(qEnvironmentVariable("LINK_RECEIVER")).absoluteFilePath();
    const QString forward = QFileInfo(receiver).absolutePath() + "/link_forward";
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/kuruten-bench-XXXXXX"));
    qputenv("KURUTEN_COMMON_APPDATA", root.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (root.path() + "/cfg").toUtf8());
    TSettings settings(root.path(), TEnvValues{"BENCH", "127.0.0.1", "BENCH", "/tmp/"});
    settings.Initialize();
    QDir().mkpath(settings.SharedFolder());
    settings.WriteText("UDP", "BROADCAST_ADDRESS", "127.0.0.1");
    settings.WriteText("BASIC", "BRING", "0");
    settings.WriteText("LINK", "ENABLED", "1");
    settings.LoadSettings();
    TLog log(settings.LogFolder(), "BENCH");
    TLog::SetCurrent(&log);
    log.SetDetailed(true); // as at every start
    Msg::SetResponder([](const TMsgRequest& r) { return (r.Buttons & mbNo) ? int(mbNo) : int(mbOK); });

    TAppState state;
    TdmCmn dm(settings);
    {
        TfrmMain frm(settings, state, dm);
        if (!frm.FormCreate()) return 1;
        frm.show();

        // The receivers: one for the EXE entry, one that stands for a browser.
        const QString exeOut = root.path() + "/exe.txt", urlOut = root.path() + "/url.txt";
        QProcess exe, browser;
        exe.start(receiver, {"--title", "顧客管理", "--out", exeOut});
        browser.start(receiver, {"--title", "ブラウザ", "--out", urlOut});
        const QString script = root.path() + "/browser.sh";
        {
            QFile f(script);
            f.open(QIODevice::WriteOnly);
            f.write(QString("#!/bin/sh\nexec '%1' --title ブラウザ \"$@\"\n").arg(forward).toUtf8());
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        dm.ExecSql("insert into INTERFACE (IF_NO, IF_NAME, IF_TYPE, EXEC_PATH, CAPTION) values (1, 'EXE', 'EXE', " +
                   SqlQuote(receiver) + ", '顧客管理')");
        dm.ExecSql("insert into INTERFACE (IF_NO, IF_NAME, IF_TYPE, EXEC_PATH, COMMAND) values (2, 'URL', 'URL', " +
                   SqlQuote(script) + ", 'https://crm.example.jp/?tel=')");
        TXWindows x;
        QElapsedTimer up;
        up.start();
        while ((!x.FindWindow("顧客管理") || !x.FindWindow("ブラウザ")) && up.elapsed() < 10000) QThread::msleep(20);

        QFile load("/proc/loadavg");
        load.open(QIODevice::ReadOnly);
        std::printf("link to a running receiver (X display %s; load average %s)\n", qgetenv("DISPLAY").constData(),
                    load.readAll().split(' ').first().constData());
        std::vector<double> exeAlone, exeCall, urlAlone, urlCall;
        for (int i = 0; i < 200; ++i)
            exeAlone.push_back(UntilReceived(exeOut, i, [&] { frm.Link().ExecCustProg(1, Number(i), 1); }));
        Report("EXE: launch -> receiver holds the number", exeAlone);
        settings.LinkAutoLaunch = true;
        settings.LinkIfNo = 1;
        for (int i = 0; i < 200; ++i)
            exeCall.push_back(UntilReceived(exeOut, 200 + i, [&] { HandOff(frm, Number(1000 + i)); }));
        Report("EXE: hand-off -> receiver holds the number", exeCall);
        settings.LinkAutoLaunch = false;
        for (int i = 0; i < 100; ++i)
            urlAlone.push_back(UntilReceived(urlOut, i, [&] { frm.Link().ExecCustProg(2, Number(i), 1); }));
        Report("URL: launch -> receiver holds the address", urlAlone);
        settings.LinkAutoLaunch = true;
        settings.LinkIfNo = 2;
        for (int i = 0; i < 100; ++i)
            urlCall.push_back(UntilReceived(urlOut, 100 + i, [&] { HandOff(frm, Number(2000 + i)); }));
        Report("URL: hand-off -> receiver holds the address", urlCall);
        settings.LinkAutoLaunch = false;
        exe.kill();
        browser.kill();
        exe.waitForFinished();
        browser.waitForFinished();

        // A caller's name from another application's database.
        auto* name = frm.findChild<QLabel*>("pnlCallName");
        for (const bool index : {true, false}) {
            const QString file = root.path() + (index ? "/ext-index.db" : "/ext.db");
            QElapsedTimer make;
            make.start();
            MakeExternal("Driver=SQLite3;Database=" + file, index);
            QSqlDatabase::removeDatabase("make");
            std::printf("external SQLite database, 100,000 customers, %s (made in %.1f s)\n",
                        index ? "number column indexed" : "no index", double(make.elapsed()) / 1000);
            settings.CustDbLink = true;
            settings.LinkDbPath = "Driver=SQLite3;Database=" + file;
            dm.InitCustDbLink();
            std::vector<double> lookup = Time(200, [&](int i) {
                QString n, k;
                if (!dm.GetCustInfo(QStringLiteral("06%1").arg(i * 487 % 100000, 8, 10, QLatin1Char('0')), n, k))
                    qFatal("not found");
            });
            Report("GetCustInfo", lookup);
            // Numbers new to the phone book: each call asks the external database.
            std::vector<double> call;
            for (int i = 0; i < 200; ++i) {
                const int c = (i * 7919 + (index ? 0 : 500)) % 100000;
                const QString number = QStringLiteral("06%1").arg(c, 8, 10, QLatin1Char('0'));
                const QString expected = QStringLiteral("外部顧客%1株式会社").arg(c);
                name->clear();
                QElapsedTimer t;
                t.start();
                HandOff(frm, number);
                while (name->text() != expected) QCoreApplication::processEvents(QEventLoop::AllEvents);
                call.push_back(double(t.nsecsElapsed()) / 1e6);
            }
            Report("hand-off -> name shown", call);
        }
        frm.FormDestroy();
    }
    dm.CloseDatabase();
    TLog::SetCurrent(nullptr);
    return 0;
}
