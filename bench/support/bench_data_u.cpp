#include "bench_data_u.h"

#include "dm_cmn_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"

#include <QDir>

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

namespace BenchData {

QString Number(int i)
{
    return QStringLiteral("03%1").arg(i, 8, 10, QLatin1Char('0'));
}

void CreateWithBaseTables(const QString& name, const std::function<void(TFbQuery&)>& fill)
{
    TFbDatabase db;
    db.DatabaseName = name;
    db.Params = {QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=fbkey2468"),
                 QStringLiteral("lc_ctype=NONE")};
    db.CreateDatabase(8192);
    TFbTransaction tr(db);
    TFbQuery q(db, tr);
    for (const QString& sql : TdmCmn::BaseTableStatements()) {
        q.SQL = sql;
        q.ExecSQL();
    }
    fill(q);
}

void Build(const QString& name)
{
    CreateWithBaseTables(name, [](TFbQuery& q) {
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
    });
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

void Report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    std::printf("  %-40s median %8.3f ms   p95 %8.3f ms   p99 %8.3f ms   (n=%zu)\n", what, median, p95, p99,
                ms.size());
}

TBenchRoot::TBenchRoot() : Dir(QDir::tempPath() + QStringLiteral("/kuruten-bench-XXXXXX"))
{
    qputenv("KURUTEN_COMMON_APPDATA", Dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (Dir.path() + "/cfg").toUtf8());
    Settings = std::make_unique<TSettings>(Dir.path(), TEnvValues{"BENCH", "127.0.0.1", "BENCH", "/tmp/"});
    Settings->Initialize();
    QDir().mkpath(Settings->SharedFolder());
    // Stand-alone, with every datagram on loopback; no read-out, no blink.
    Settings->WriteText("UDP", "BROADCAST_ADDRESS", "127.0.0.1");
    Settings->WriteText("BASIC", "BRING", "0");
    Settings->WriteText("LINK", "ENABLED", "1"); // no question at the upgrade
    Settings->LoadSettings();
    Log = std::make_unique<TLog>(Settings->LogFolder(), "BENCH");
    TLog::SetCurrent(Log.get());
    Msg::SetResponder([](const TMsgRequest& r) { return (r.Buttons & mbNo) ? int(mbNo) : int(mbOK); });
    // Detailed log on, as at every start: its lines are part of the cost.
    Log->SetDetailed(qEnvironmentVariable("BENCH_DETAIL_LOG", "1") == "1");
}

TBenchRoot::~TBenchRoot()
{
    Msg::SetResponder({});
    TLog::SetCurrent(nullptr);
}

} // namespace BenchData
