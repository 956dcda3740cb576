// Reports benchmark on the 1,000,000-call database: the call-log export to
// CSV and .xlsx (about 365,000 rows) and to .xls (about 63,000 rows), the
// count report over the whole log (statement, PRINT1, first page rendered),
// and the backup of the database in use against a plain file copy.
//   bench_reports
#include "bench_data_u.h"
#include "data_export_u.h"
#include "dm_cmn_u.h"
#include "fb_service_u.h"
#include "frm_print_u.h"
#include "report_sql_u.h"
#include "settings_u.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPageRanges>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

using namespace BenchData;

namespace {
double Seconds(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

// CPU seconds of the process (the embedded engine runs in it): on a machine
// shared with other work this is the steadier figure.
double Cpu()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/kuruten-bench-XXXXXX"));
    qputenv("KURUTEN_COMMON_APPDATA", root.path().toUtf8());
    qputenv("FIREBIRD_LOCK", (root.path() + QStringLiteral("/fblock")).toUtf8());
    TSettings settings(root.path(), TEnvValues{QStringLiteral("BENCH"), QStringLiteral("127.0.0.1"),
                                               QStringLiteral("BENCH"), QStringLiteral("/tmp/")});
    settings.Initialize();
    // KURUTEN_BENCH_DB keeps the database between runs (built when missing).
    const QString kept = qEnvironmentVariable("KURUTEN_BENCH_DB");
    const QString dbName = kept.isEmpty() ? root.path() + QStringLiteral("/bench.fdb") : kept;
    const bool reuse = !kept.isEmpty() && QFileInfo::exists(kept);
    settings.WriteText(QStringLiteral("KURUTEN_DB"), QStringLiteral("DB_PATH"), dbName);
    settings.WriteText(QStringLiteral("LINK"), QStringLiteral("ENABLED"), QStringLiteral("1")); // no question
    settings.LoadSettings();

    try {
        QElapsedTimer t;
        t.start();
        if (!reuse) Build(dbName);
        TdmCmn dm(settings);
        dm.InitTables();
        std::printf("data built in %.1f s: %d LOG, %d TELS rows; database %.0f MB\n", Seconds(t), kLogRows, kTels,
                    double(QFileInfo(dbName).size()) / 1e6);

        // The rows as the exports read them, without writing anything.
        {
            qint64 n = 0;
            const double cpu0 = Cpu();
            t.restart();
            TReportSql(dm).ReadRows(TReportSql::LogDataSql(QDate(2023, 1, 1), QDate(2023, 5, 13)), [&n](const TCellRow&) {
                ++n;
                return true;
            });
            std::printf("reading the call log only   %7lld rows in %6.2f s = %8.0f rows/s (CPU %.2f s)\n", (long long)n,
                        Seconds(t), double(n) / Seconds(t), Cpu() - cpu0);
        }
        TDataExport ex(dm, nullptr);
        const QDate from(2023, 1, 1);
        struct TRun
        {
            const char* What;
            QString File;
            QDate To;
            double GoalRowsPerSec;
        };
        const TRun runs[] = {
            {"call log -> CSV ", QStringLiteral("/log.csv"), QDate(2023, 5, 13), 200000},
            {"call log -> .xlsx", QStringLiteral("/log.xlsx"), QDate(2023, 5, 13), 50000},
            {"call log -> .xls ", QStringLiteral("/log.xls"), QDate(2023, 1, 23), 100000},
        };
        for (const TRun& r : runs) {
            qint64 rows = 0;
            ex.OnMaximum = [&rows](qint64 n) { rows = n; };
            const QString path = root.path() + r.File;
            const double cpu0 = Cpu();
            t.restart();
            ex.ExportLog(path, from, r.To, true);
            const double s = Seconds(t);
            const double cpu = Cpu() - cpu0;
            std::printf("%s %7lld rows in %6.2f s = %8.0f rows/s (CPU %.2f s = %8.0f rows/s; goal >= %.0f) %s; file "
                        "%.1f MB\n",
                        r.What, (long long)rows, s, double(rows) / s, cpu, double(rows) / cpu, r.GoalRowsPerSec,
                        double(rows) / s >= r.GoalRowsPerSec ? "ok" : "MISSED", double(QFileInfo(path).size()) / 1e6);
        }

        // Count report over the whole log: statement and PRINT1, then the
        // first page as the preview draws it.
        TReportSql sql(dm);
        TTotalQuery q;
        q.From = QDate(2023, 1, 1);
        q.To = QDate(2023, 12, 31);
        q.Kubun = 2;
        for (int n : {10, -1}) {
            const double cpu0 = Cpu();
            t.restart();
            const QList<TPrint> rows = sql.TotalTops(n, TReportSql::TotalSql(q));
            const double statement = Seconds(t);
            TfrmPrint1 report;
            const TPrintJob job = report.Job(rows, QDateTime::currentDateTime());
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(root.path() + QStringLiteral("/page1.pdf"));
            printer.setPageRanges(QPageRanges::fromString(QStringLiteral("1")));
            job.Paint(printer);
            const double all = Seconds(t);
            std::printf("count report, top %-3s %6lld groups: statement + PRINT1 %.2f s, with first page %.2f s "
                        "(CPU %.2f s; goal <= 2 s) %s\n",
                        n > 0 ? qPrintable(QString::number(n)) : "all", (long long)rows.size(), statement, all,
                        Cpu() - cpu0, all <= 2 ? "ok" : "MISSED");
        }

        // Backup of the database in use against a plain copy of its file.
        const double mb = double(QFileInfo(dbName).size()) / 1e6;
        QFile::copy(dbName, root.path() + QStringLiteral("/warm.fdb")); // same cache state for both
        QFile::remove(root.path() + QStringLiteral("/warm.fdb"));
        t.restart();
        QFile::copy(dbName, root.path() + QStringLiteral("/plain.fdb"));
        const double copy = Seconds(t);
        t.restart();
        FbService::CopyDatabase(dbName, root.path() + QStringLiteral("/KURUDB.FDB"), dm.IBDatabase1.Params);
        const double backup = Seconds(t);
        std::printf("backup %.0f MB: plain copy %.2f s (%.0f MB/s), engine backup %.2f s (%.0f MB/s) = %.0f %% of the "
                    "copy's speed (goal >= 70 %%) %s\n",
                    mb, copy, mb / copy, backup, mb / backup, 100 * copy / backup, copy / backup >= 0.7 ? "ok" : "MISSED");
        dm.CloseDatabase();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
