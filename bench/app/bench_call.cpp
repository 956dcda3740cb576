// Time from a handed-over number to the caller's name in pnlCallName, with
// the call-log row committed, on a database of a year of calls: alone, and
// while a full table refresh of a busy day is running.
#include "bench_data_u.h"
#include "clock_u.h"
#include "dm_cmn_u.h"
#include "frm_main_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "single_instance_u.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace BenchData;

namespace {
long RssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

qint64 Now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Submits a number as the hand-off does and waits for the name on screen.
double OneCall(TfrmMain& frm, QLabel* name, const QString& number, const QString& expected)
{
    name->clear();
    QElapsedTimer t;
    t.start();
    THandOffPacket p;
    p.DwData = 1;
    p.Data = number.toUtf8();
    frm.OnDemoActivate(p);
    while (name->text() != expected) QCoreApplication::processEvents(QEventLoop::AllEvents);
    return double(t.nsecsElapsed()) / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchRoot bench;
    TSettings& settings = *bench.Settings;
    const QString dbName = settings.DefaultDatabaseFile();

    QElapsedTimer build;
    build.start();
    Build(dbName);
    std::printf("embedded %s\n  data built in %.1f s\n", qPrintable(dbName), double(build.elapsed()) / 1000);

    TAppState state;
    TdmCmn dm(settings);
    int rc = 0;
    {
        TfrmMain frm(settings, state, dm);
        QElapsedTimer init;
        init.start();
        if (!frm.FormCreate()) return 1;
        std::printf("  start with upgrade %.1f s\n", double(init.elapsed()) / 1000);
        frm.show();
        auto* name = frm.findChild<QLabel*>("pnlCallName");

        // Known numbers, as most calls are.
        std::vector<double> alone;
        for (int i = 0; i < 200; ++i)
            alone.push_back(OneCall(frm, name, Number(i * 37 % kTels), QStringLiteral("発信者%1").arg(i * 37 % kTels)));
        Report("hand-off -> name shown, row committed", alone);

        // Unknown numbers: a phone-book insert as well.
        std::vector<double> unknown;
        for (int i = 0; i < 100; ++i)
            unknown.push_back(OneCall(frm, name, QStringLiteral("0120%1").arg(i, 6, 10, QLatin1Char('0')),
                                      settings.UnknownName));
        Report("  ... unknown number", unknown);

        // During a refresh of a busy day (about 2,700 rows).
        std::vector<double> during, yield;
        auto* date = frm.findChild<QDateEdit*>("dtpLogDate");
        for (int i = 0; i < 60; ++i) {
            date->blockSignals(true);
            date->setDate(QDate(2023, 6, 1).addDays(i % 30));
            date->blockSignals(false);
            TUpTable all;
            all.UpLog = all.UpTels = all.UpAccept = all.UpUser = all.UpActType = all.UpActResult = true;
            // The call arrives from another thread at some moment of the refresh,
            // as a hand-off from a second start would.
            std::atomic<qint64> postedAt{0};
            std::thread source([&, i] {
                std::this_thread::sleep_for(std::chrono::milliseconds(5 + (i * 7) % 60));
                postedAt = Now();
                QMetaObject::invokeMethod(
                    &frm,
                    [&frm, i] {
                        THandOffPacket p;
                        p.DwData = 1;
                        p.Data = Number(i).toUtf8();
                        frm.OnDemoActivate(p);
                    },
                    Qt::QueuedConnection);
            });
            const qint64 refreshStart = Now();
            frm.RefreshTables(all);
            const qint64 refreshEnd = Now();
            source.join();
            while (name->text() != QStringLiteral("発信者%1").arg(i)) QCoreApplication::processEvents();
            during.push_back(double(Now() - postedAt) / 1e6);
            // How long the refresh ran on after the call arrived (0 when it had ended).
            yield.push_back(double(std::max<qint64>(0, refreshEnd - std::max(postedAt.load(), refreshStart))) / 1e6);
            name->clear();
        }
        Report("same, arriving during a full refresh", during);
        Report("refresh running on after the call came", yield);

        // Memory over many calls: the day's grid gains a row per call, the rest should stay flat.
        const int calls = qEnvironmentVariableIntValue("BENCH_MEMORY_CALLS") > 0
                              ? qEnvironmentVariableIntValue("BENCH_MEMORY_CALLS")
                              : 2000;
        const long rss0 = RssKb();
        for (int i = 0; i < calls; ++i) OneCall(frm, name, Number(i % kTels), QStringLiteral("発信者%1").arg(i % kTels));
        const long rss1 = RssKb();
        for (int i = 0; i < calls; ++i) OneCall(frm, name, Number(i % kTels), QStringLiteral("発信者%1").arg(i % kTels));
        const long rss2 = RssKb();
        std::printf("  RSS over %d calls: %ld kB, then %ld kB after %d more (%+.1f kB per call)\n", calls, rss1 - rss0,
                    rss2 - rss1, calls, double(rss2 - rss1) / calls);

        // One day filling up: does the 5,000th call of a day cost what the first did?
        const int dayCalls = qEnvironmentVariableIntValue("BENCH_DAY_CALLS") > 0
                                 ? qEnvironmentVariableIntValue("BENCH_DAY_CALLS")
                                 : 5000;
        const QDateTime dayStart(QDate(2030, 1, 7), QTime(8, 0));
        QElapsedTimer since;
        since.start();
        Clock::SetSource([&] { return dayStart.addMSecs(since.elapsed()); });
        std::vector<double> first, last;
        const int window = std::min(100, dayCalls / 2);
        for (int i = 0; i < dayCalls; ++i) {
            const int n = i * 13 % kTels;
            const double ms = OneCall(frm, name, Number(n), QStringLiteral("発信者%1").arg(n));
            if (i < window) first.push_back(ms);
            else if (i >= dayCalls - window) last.push_back(ms);
        }
        Clock::SetSource({});
        std::printf("  a day of %d calls (the history grid holds %d rows at the end):\n", dayCalls,
                    frm.findChild<QTableWidget*>("sgdLog")->rowCount());
        Report(qPrintable(QStringLiteral("calls 1-%1 of the day").arg(window)), first);
        Report(qPrintable(QStringLiteral("calls %1-%2 of the day").arg(dayCalls - window + 1).arg(dayCalls)), last);
        frm.FormDestroy();
    }
    dm.CloseDatabase();
    return rc;
}
