// Database benchmark: 1,000,000 call-log rows over one year, 100,000 phone
// book rows and 50,000 customers; prints median and p99 of the operations
// the incoming-call pipeline and the main window use, and the time of the
// upgrade's index step on that data.
//   bench_db embedded|server
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

namespace {
constexpr int kLogRows = 1000000;
constexpr int kTels = 100000;
constexpr int kCustomers = 50000;

QString Number(int i)
{
    return QStringLiteral("03%1").arg(i, 8, 10, QLatin1Char('0'));
}

void Report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    std::printf("  %-34s median %8.3f ms   p99 %8.3f ms   (n=%zu)\n", what, median, p99, ms.size());
}

std::vector<double> Time(int n, const std::function<void(int)>& op)
{
    std::vector<double> out;
    out.reserve(size_t(n));
    QElapsedTimer t;
    for (int i = 0; i < n; ++i) {
        t.start();
        op(i);
        out.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return out;
}
} // namespace

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
        {
            TFbDatabase db;
            db.DatabaseName = dbName;
            db.Params = {QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=fbkey2468"),
                         QStringLiteral("lc_ctype=NONE")};
            db.CreateDatabase(8192);
            TFbTransaction tr(db);
            TFbQuery q(db, tr);
            for (const QString& sql : TdmCmn::BaseTableStatements()) {
                q.SQL = sql;
                q.ExecSQL();
            }
            // Rows made inside the engine, one transaction per table.
            q.SQL = QStringLiteral(
                        "EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                        "INSERT INTO CUSTOMER (CUST_NO, CUST_NAME, CUST_KANA, CUST_TEL, CUST_TEL_NON, SEX, UPDT) VALUES "
                        "(:i + 1, 'ｶｽﾀﾏｰ' || :i, 'ｶｽﾀﾏｰ', '03' || lpad(:i * 2, 8, '0'), '03' || lpad(:i * 2, 8, '0'), 0, "
                        "CURRENT_TIMESTAMP); i = i + 1; END END")
                        .arg(kCustomers);
            q.ExecSQL();
            q.SQL = QStringLiteral("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                                   "INSERT INTO TELS (TEL_NO, CUST_TEL_NON, CALLER, READ_NAME, UPDT) VALUES "
                                   "('03' || lpad(:i, 8, '0'), iif(mod(:i, 2) = 0, '03' || lpad(:i, 8, '0'), ''), "
                                   "'発信者' || :i, 'はっしんしゃ', CURRENT_TIMESTAMP); i = i + 1; END END")
                        .arg(kTels);
            q.ExecSQL();
            // One year; one call in nine is outgoing.
            q.SQL = QStringLiteral("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                                   "INSERT INTO LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, DT_TO, TEL_TERM, TEL_MEMO, "
                                   "TEL_TIME, PORT_NO) VALUES (:i + 1, cast('2023/01/01' as date) + :i * 365.0 / %1, "
                                   "'03' || lpad(mod(:i * 7919, %2), 8, '0'), iif(mod(:i, 9) = 0, '発信', '着信'), "
                                   "null, '0:00:00', '', 0, 1); i = i + 1; END END")
                        .arg(kLogRows)
                        .arg(kTels);
            q.ExecSQL();
            q.SQL = QStringLiteral("SET GENERATOR SEQ_LOG_NO TO %1").arg(kLogRows);
            q.ExecSQL();
            q.SQL = QStringLiteral("SET GENERATOR SEQ_CUST_NO TO %1").arg(kCustomers);
            q.ExecSQL();
        }
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
