// Handling records over three years: 20,000 customers, 300,000 calls and
// 300,000 handling records (one per call, about 270 a day), plus 1,500 more
// on one busy day. One title in 600 holds "至急折返し" (500 records).
// Prints the day page of the busy day, the text search over the whole
// period that lists those 500 records, and opening a record's handling tab
// by a double-click on its mark in the call history.
#include "accept_history_sql_u.h"
#include "bench_data_u.h"
#include "dm_cmn_u.h"
#include "fra_accept_history_u.h"
#include "fra_cust_u.h"
#include "record_tabs_u.h"
#include "frm_act_search_u.h"
#include "frm_main_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "string_grid_u.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdio>

using BenchData::Report;
using BenchData::Time;

namespace {
constexpr int kCustomers = 20000;
constexpr int kRecords = 300000;
constexpr int kBusyExtra = 1500;
const QDate kFirstDay(2024, 1, 1);
const QDate kBusyDay(2025, 6, 2);

void Exec(TFbQuery& q, const QString& sql)
{
    q.SQL = sql;
    q.ExecSQL();
}

void BuildBase(const QString& name)
{
    BenchData::CreateWithBaseTables(name, [](TFbQuery& q) {
        Exec(q, QStringLiteral("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                               "INSERT INTO CUSTOMER (CUST_NO, CUST_NAME, CUST_KANA, CUST_TEL, CUST_TEL_NON, SEX, UPDT) "
                               "VALUES (:i + 1, '顧客' || :i, 'コキャク', '03' || lpad(:i, 8, '0'), "
                               "'03' || lpad(:i, 8, '0'), 0, CURRENT_TIMESTAMP); i = i + 1; END END")
                    .arg(kCustomers));
        // The representative number in the phone book: the call history
        // finds the customer through it.
        Exec(q, QStringLiteral("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                               "INSERT INTO TELS (TEL_NO, CUST_TEL_NON, CALLER, READ_NAME, UPDT) VALUES "
                               "('03' || lpad(:i, 8, '0'), '03' || lpad(:i, 8, '0'), '顧客' || :i, 'こきゃく', "
                               "CURRENT_TIMESTAMP); i = i + 1; END END")
                    .arg(kCustomers));
        // One call a record, spread evenly over three years (1,096 days).
        Exec(q, QStringLiteral("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                               "INSERT INTO LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, TEL_TERM, TEL_MEMO, TEL_TIME, PORT_NO) "
                               "VALUES (:i + 1, cast('2024/01/01' as timestamp) + :i * 1096.0 / %1, "
                               "'03' || lpad(mod(:i * 7919, %2), 8, '0'), '着信', '0:01:00', '', 60, 1); "
                               "i = i + 1; END END")
                    .arg(kRecords)
                    .arg(kCustomers));
        Exec(q, QStringLiteral("SET GENERATOR SEQ_LOG_NO TO %1").arg(kRecords));
        Exec(q, QStringLiteral("SET GENERATOR SEQ_CUST_NO TO %1").arg(kCustomers));
    });
}

// After the upgrade made the handling tables.
void AddRecords(TdmCmn& dm)
{
    dm.ExecSql(QStringLiteral(
                   "EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                   "INSERT INTO ACCEPT_T (ACT_NO, ACT_DT, USERID, TYPE_ID, RESULT_ID, TITLE, CONTENT, LOG_NO, CUST_NO, UPDT) "
                   "VALUES (:i + 1, cast('2024/01/01' as timestamp) + :i * 1096.0 / %1, '', "
                   "iif(mod(:i, 2) = 0, '0001', '0002'), iif(mod(:i, 3) = 0, '0001', '0002'), "
                   "iif(mod(:i, 600) = 0, '至急折返し ' || :i, 'お問い合わせ ' || :i), "
                   "'お客様より製品についての問い合わせ。担当より折り返し連絡済み。' || :i, :i + 1, "
                   "mod(:i * 7919, %2) + 1, CURRENT_TIMESTAMP); i = i + 1; END END")
                   .arg(kRecords)
                   .arg(kCustomers));
    dm.ExecSql(QStringLiteral(
                   "EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                   "INSERT INTO ACCEPT_T (ACT_NO, ACT_DT, TYPE_ID, RESULT_ID, TITLE, CONTENT, CUST_NO, UPDT) "
                   "VALUES (%2 + :i + 1, cast('%3' as timestamp) + 0.3 + :i * 0.5 / %1, '0001', '0001', "
                   "'繁忙日の対応 ' || :i, '内容', mod(:i, %4) + 1, CURRENT_TIMESTAMP); i = i + 1; END END")
                   .arg(kBusyExtra)
                   .arg(kRecords)
                   .arg(kBusyDay.toString("yyyy/MM/dd"))
                   .arg(kCustomers));
    dm.ExecSql(QStringLiteral("SET GENERATOR SEQ_ACCEPT_NO TO %1").arg(kRecords + kBusyExtra));
}
} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchData::TBenchRoot bench;
    TSettings& settings = *bench.Settings;
    settings.WriteFlag(QStringLiteral("BASIC"), QStringLiteral("USE_ACCEPT"), true);
    settings.UseAccept = true;
    const QString dbName = settings.DefaultDatabaseFile();
    // Yes to the question whether handling records are used, No to the rest.
    Msg::SetResponder([](const TMsgRequest& r) {
        if (!(r.Buttons & mbYes)) return int(mbOK);
        return r.Text.contains(QStringLiteral("対応内容登録")) ? int(mbYes) : int(mbNo);
    });

    QElapsedTimer build;
    build.start();
    BuildBase(dbName);
    TAppState state;
    TdmCmn dm(settings);
    {
        TfrmMain frm(settings, state, dm);
        if (!frm.FormCreate()) return 1;
        AddRecords(dm);
        std::printf("embedded %s\n  data built in %.1f s (%d CUSTOMER, %d LOG, %d ACCEPT_T rows)\n", qPrintable(dbName),
                    double(build.elapsed()) / 1000, kCustomers, kRecords, kRecords + kBusyExtra);
        frm.resize(1000, 700);
        frm.show();
        auto* pages = frm.findChild<QTabWidget*>("PageMain");
        auto* dayPage = frm.findChild<TfraAcceptHistory*>("tabAccept");
        pages->setCurrentIndex(1);
        frm.SetHistoryDate(kBusyDay);
        Report("day page of a busy day", Time(30, [&](int) {
                   dayPage->MakeAcceptGrid();
                   QCoreApplication::processEvents();
               }));
        std::printf("    (%d rows listed)\n", dayPage->sgdAccept->DataRowCount());
        Report("... its statement alone", Time(30, [&](int) { AcceptHistorySql::Day(dm, kBusyDay); }));
        frm.SetHistoryDate(kBusyDay.addDays(100));
        Report("day page of an ordinary day", Time(30, [&](int) { dayPage->MakeAcceptGrid(); }));
        std::printf("    (%d rows listed)\n", dayPage->sgdAccept->DataRowCount());

        frm.OpenActSearch(false, -1, QString());
        auto* search = frm.findChild<TfrmActSearch*>("frmActSearch");
        search->chkFrom->setChecked(false);
        search->chkTo->setChecked(false);
        search->cbxSearchContent->setEditText(QStringLiteral("至急折返し"));
        Report("text search over three years (title or content)", Time(10, [&](int) {
                   search->btnOkClick();
                   QCoreApplication::processEvents();
               }));
        std::printf("    (%d rows listed)\n", search->lvwHistoryList->topLevelItemCount());
        search->chkContent->setChecked(false);
        Report("text search over three years (title only)", Time(10, [&](int) { search->btnOkClick(); }));
        search->close();

        // Each tab is closed again before the next, outside the timing.
        pages->setCurrentIndex(0);
        auto* log = frm.findChild<TStringGrid*>("sgdLog");
        std::vector<double> open;
        int opened = 0;
        for (int i = 0; i < 60; ++i) {
            frm.SetHistoryDate(kFirstDay.addDays(10 + i * 17));
            frm.LoadHistory();
            const int row = i % qMax(1, log->DataRowCount());
            open.push_back(Time(1, [&](int) {
                               emit log->cellDoubleClicked(row, 6);
                               QCoreApplication::processEvents();
                           }).front());
            if (auto* v = pages->currentWidget()->findChild<TfraCust*>("fraCust"); v && v->PageHistory->count() > 2)
                ++opened;
            while (pages->count() > TfrmMain::kFirstCustomerTab) frm.CloseCustomerPage(pages->count() - 1);
            pages->setCurrentIndex(0);
        }
        Report("open a handling tab from the call history (customer tab included)", open);
        std::printf("    (%d of %d double-clicks opened the record in its customer's tab)\n", opened, int(open.size()));
    }
    dm.CloseDatabase();
    return 0;
}
