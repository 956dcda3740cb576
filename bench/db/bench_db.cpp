// Database benchmark: 1,000,000 call-log rows over one year, 100,000 phone
// book rows and 50,000 customers; prints median and p99 of the operations
// the incoming-call pipeline and the main window use, and the time of the
// upgrade's index step on that data.
//   bench_db embedded|server
#include "bench_data_u.h"
#include "dm_cmn_u.h"
#include "settings_u.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace BenchData;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool server = argc > 1 && QByteArray(argv[1]) == "server";

    // Private folders: never the real settings or database.
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/kuruten-bench-XXXXXX"));
    qputenv("KURUTEN_COMMON_APPDATA", root.path().toUtf8());
    TSettings settings(root.path(), TEnvValues{QStringLiteral("BENCH"), QStringLiteral("127.0.0.1"),
                                               QStringLiteral("BENCH"), QStringLiteral("/tmp/")});
    settings.Initialize();
    QString dbName;
    QString serverDir;
    if (server) {
        serverDir = QStringLiteral("/tmp/kuruten-bench-srv-") + QUuid::createUuid().toString(QUuid::Id128).left(8);
        QDir().mkpath(serverDir);
        QFile::setPermissions(serverDir, QFileDevice::Permissions(0x7777));
        dbName = QStringLiteral("localhost:") + serverDir + QStringLiteral("/bench.fdb");
    } else {
        dbName = root.path() + QStringLiteral("/bench.fdb");
    }
    settings.WriteText(QStringLiteral("KURUTEN_DB"), QStringLiteral("DB_PATH"), dbName);
    settings.WriteText(QStringLiteral("LINK"), QStringLiteral("ENABLED"), QStringLiteral("1")); // no question
    settings.LoadSettings();
    std::printf("%s: %s\n", server ? "server" : "embedded", qPrintable(dbName));

    int rc = 0;
    try {
        // Base tables of a new database; the search indexes come from InitTables.
        QElapsedTimer build;
        build.start();
        Build(dbName);
        std::printf("  data built in %.1f s (%d LOG, %d TELS, %d CUSTOMER rows)\n", double(build.elapsed()) / 1000,
                    kLogRows, kTels, kCustomers);

        TdmCmn dm(settings);
        QElapsedTimer init;
        init.start();
        dm.InitTables();
        std::printf("  InitTables (index step on this data) %.1f s\n", double(init.elapsed()) / 1000);

        QRandomGenerator rnd(42);
        TTels tels;
        Report("GetTels", Time(2000, [&](int) { dm.GetTels(Number(int(rnd.bounded(kTels))), tels); }));
        TdmCmn::TLog log;
        log.DT_FROM = QDateTime::currentDateTime();
        log.TEL_TYPE = QStringLiteral("着信");
        log.TEL_TERM = QStringLiteral("0:00:00");
        log.PORT_NO = 1;
        Report("InsertLog (autocommit)", Time(1000, [&](int) {
                   log.TEL_NO = Number(int(rnd.bounded(kTels)));
                   dm.InsertLog(log);
               }));
        QString name, kana;
        Report("GetCustInfo", Time(2000, [&](int) { dm.GetCustInfo(Number(int(rnd.bounded(kTels))), name, kana); }));

        auto history = [&](const QString& kind) {
            return [&dm, kind](int i) {
                const QDate day = QDate(2023, 3, 1).addDays(i % 200);
                const QString sql =
                    QStringLiteral("select g.*, t.CUST_TEL_NON, t.CALLER, t.READ_NAME, a.ACT_NO from LOG g left join "
                                   "TELS t on t.TEL_NO = g.TEL_NO left join ACCEPT_T a on a.LOG_NO = g.LOG_NO where "
                                   "g.DT_FROM >= ") +
                    SqlQuote(day.toString(QStringLiteral("yyyy/MM/dd"))) + QStringLiteral(" and g.DT_FROM < ") +
                    SqlQuote(day.addDays(1).toString(QStringLiteral("yyyy/MM/dd"))) + kind +
                    QStringLiteral(" order by g.DT_FROM desc");
                dm.sqlWork.SQL = sql;
                dm.sqlWork.Open();
                TFbQuery::TCloser closer(dm.sqlWork);
                int rows = 0;
                for (; !dm.sqlWork.Eof(); dm.sqlWork.Next()) {
                    (void)dm.sqlWork.FieldByName(QStringLiteral("DT_FROM")).AsDateTime();
                    (void)dm.sqlWork.FieldByName(QStringLiteral("TEL_NO")).AsString();
                    (void)dm.sqlWork.FieldByName(QStringLiteral("CALLER")).AsString();
                    (void)dm.sqlWork.FieldByName(QStringLiteral("TEL_MEMO")).AsString();
                    ++rows;
                }
                if (i == 0) std::printf("  (day history: %d rows)\n", rows);
            };
        };
        Report("day history, outgoing (~300 rows)", Time(200, history(QStringLiteral(" and g.TEL_TYPE = '発信'"))));
        Report("day history, all kinds", Time(200, history(QString())));

        dm.IBDatabase1.DropDatabase();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", qPrintable(ExceptionText(e)));
        rc = 1;
    }
    if (!serverDir.isEmpty()) QDir(serverDir).removeRecursively();
    return rc;
}
