// Customer windows on a grown office database: 100,000 customers, 200,000
// phone-book rows (a representative number and a mobile each), 100,000
// calls, and 5,000 calls of one customer. Prints the time to open a
// customer tab from a number, a partial name search of the search dialog
// that lists 2,000 customers, and the postal import of 124,000 lines.
#include "bench_data_u.h"
#include "cp932_u.h"
#include "dm_cmn_u.h"
#include "frm_main_u.h"
#include "frm_search_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "postal_import_u.h"
#include "settings_u.h"
#include "string_grid_u.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

using BenchData::Report;
using BenchData::Time;

namespace {
constexpr int kCustCount = 100000;
constexpr int kOtherCalls = 100000;
constexpr int kBusyCalls = 5000;
constexpr int kPostalLines = 124000;

QString Mobile(int i)
{
    return QStringLiteral("090%1").arg(i, 8, 10, QLatin1Char('0'));
}

void Exec(TFbQuery& q, const QString& sql)
{
    q.SQL = sql;
    q.ExecSQL();
}

void BuildCustomers(const QString& name)
{
    BenchData::CreateWithBaseTables(name, [](TFbQuery& q) {
        // One customer in fifty is a "テスト商事": 2,000 rows for the name search.
        Exec(q, QStringLiteral("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                               "INSERT INTO CUSTOMER (CUST_NO, CUST_NAME, CUST_KANA, CUST_TEL, CUST_TEL_NON, SEX, "
                               "ADDRESS, UPDT) VALUES (:i + 1, iif(mod(:i, 50) = 0, '株式会社テスト商事' || :i, '山田商店' || :i), "
                               "'ヤマダショウテン', '03' || lpad(:i, 8, '0'), '03' || lpad(:i, 8, '0'), 0, '東京都千代田区', "
                               "CURRENT_TIMESTAMP); i = i + 1; END END")
                    .arg(kCustCount));
        Exec(q, QStringLiteral("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                               "INSERT INTO TELS (TEL_NO, CUST_TEL_NON, CALLER, READ_NAME, UPDT) VALUES "
                               "('03' || lpad(:i, 8, '0'), '03' || lpad(:i, 8, '0'), '山田商店' || :i, 'やまだ', CURRENT_TIMESTAMP); "
                               "INSERT INTO TELS (TEL_NO, CUST_TEL_NON, CALLER, READ_NAME, UPDT) VALUES "
                               "('090' || lpad(:i, 8, '0'), '03' || lpad(:i, 8, '0'), '携帯' || :i, 'けいたい', CURRENT_TIMESTAMP); "
                               "i = i + 1; END END")
                    .arg(kCustCount));
        // Customer 0 has 5,000 calls on its two numbers; the others share the rest.
        Exec(q, QStringLiteral("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                               "INSERT INTO LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, TEL_TERM, TEL_MEMO, TEL_TIME, PORT_NO) "
                               "VALUES (:i + 1, cast('2024/01/01' as date) + :i / 100.0, "
                               "iif(:i < %2, iif(mod(:i, 2) = 0, '0300000000', '09000000000'), "
                               "'03' || lpad(mod(:i * 7919, %3), 8, '0')), '着信', '0:00:00', 'メモ', 0, 1); "
                               "i = i + 1; END END")
                    .arg(kOtherCalls + kBusyCalls)
                    .arg(kBusyCalls)
                    .arg(kCustCount));
        Exec(q, QStringLiteral("SET GENERATOR SEQ_LOG_NO TO %1").arg(kOtherCalls + kBusyCalls));
        Exec(q, QStringLiteral("SET GENERATOR SEQ_CUST_NO TO %1").arg(kCustCount));
    });
}

// The postal file in its published form: CP932, 15 columns, one line per code.
QByteArray PostalFile()
{
    QByteArray out;
    out.reserve(kPostalLines * 140);
    for (int i = 0; i < kPostalLines; ++i) {
        const int pref = 1 + i % 47;
        const int city = i / 65;
        const QString line =
            QStringLiteral("%1%2,\"%3  \",\"%4\",\"ｹﾝ\",\"ｼ\",\"ﾁｮｳ\",\"県%1\",\"市区町村%2\",\"町域%5丁目\",0,0,1,0,0,0\r\n")
                .arg(pref, 2, 10, QLatin1Char('0'))
                .arg(city % 1000, 3, 10, QLatin1Char('0'))
                .arg(i % 1000, 3, 10, QLatin1Char('0'))
                .arg(1000000 + i * 7, 7, 10, QLatin1Char('0'))
                .arg(i);
        out += Cp932::Encode(line);
    }
    return out;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchData::TBenchRoot bench;
    TSettings& settings = *bench.Settings;
    const QString dbName = settings.DefaultDatabaseFile();

    QElapsedTimer build;
    build.start();
    BuildCustomers(dbName);
    std::printf("embedded %s\n  data built in %.1f s (%d CUSTOMER, %d TELS, %d LOG rows)\n", qPrintable(dbName),
                double(build.elapsed()) / 1000, kCustCount, 2 * kCustCount, kOtherCalls + kBusyCalls);

    TAppState state;
    TdmCmn dm(settings);
    {
        TfrmMain frm(settings, state, dm);
        if (!frm.FormCreate()) return 1;
        frm.resize(770, 688);
        frm.show();
        auto* pages = frm.findChild<QTabWidget*>("PageMain");
        auto open = [&](const QString& number) {
            frm.OpenCustTab(number);
            QCoreApplication::processEvents();
        };
        auto closeAll = [&] {
            while (pages->count() > TfrmMain::kFirstCustomerTab) frm.CloseCustomerPage(pages->count() - 1);
        };

        QRandomGenerator rnd(7);
        // Each tab is closed again before the next, outside the timing.
        std::vector<double> tabs, busy;
        for (int i = 0; i < 300; ++i) {
            tabs.push_back(Time(1, [&](int) { open(Mobile(1 + int(rnd.bounded(kCustCount - 1)))); }).front());
            closeAll();
        }
        Report("open customer tab from a mobile number", tabs);
        for (int i = 0; i < 20; ++i) {
            busy.push_back(Time(1, [&](int) { open(Mobile(0)); }).front());
            closeAll();
        }
        Report("... the customer with 5,000 calls", busy);

        TfrmSearch search(dm, settings, TSearchMode::Cust, &frm);
        search.cbxItem->setCurrentIndex(1);
        search.rbPart->setChecked(true);
        search.edtValue->setText(QStringLiteral("テスト商事"));
        Report("search mode 2, partial name", Time(10, [&](int) { search.btnSearchClick(); }));
        std::printf("    (%d rows listed)\n", search.sgdSearch->DataRowCount());
    }

    const QByteArray file = PostalFile();
    for (int round = 0; round < 2; ++round) {
        TPostalImport imp;
        QElapsedTimer t;
        t.start();
        imp.ParseBytes(file);
        const double parsed = double(t.elapsed()) / 1000;
        imp.Store(dm);
        std::printf("  postal import of %d lines: %.2f s (read and check %.2f s, store %.2f s), %lld codes\n",
                    imp.Lines(), double(t.elapsed()) / 1000, parsed, double(t.elapsed()) / 1000 - parsed,
                    static_cast<long long>(imp.Rows().size()));
    }
    dm.CloseDatabase();
    return 0;
}
