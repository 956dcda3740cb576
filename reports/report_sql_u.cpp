#include "report_sql_u.h"

#include "cp932_u.h"
#include "db_query_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"
#include "sql_literal_u.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString Ymd(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd"));
}

// Period of the handling and call-log exports: the whole end day included.
QString Period(const QString& column, const QDate& from, const QDate& to)
{
    return QStringLiteral("where %1 >= '%2'").arg(column, Ymd(from)) + kCrLf +
           QStringLiteral("and %1 < '%2'").arg(column, Ymd(to.addDays(1))) + kCrLf;
}
} // namespace

QString TReportSql::TotalSql(const TTotalQuery& q)
{
    QStringList s;
    if (!q.CountMode) {
        s << QStringLiteral("select g.*, t.CALLER");
    } else {
        s << (q.ByCustomer ? QStringLiteral("select t.CUST_TEL_NON, max(t.CALLER) CALLER, ")
                           : QStringLiteral("select t.TEL_NO, max(t.CALLER) CALLER, "));
        Log::Detail(QStringLiteral("TfrmTotal.SubSqlStr1"));
        s << QStringLiteral("count(g.TEL_NO) TOTAL");
    }
    s << QStringLiteral("from log g, tels t") << QStringLiteral("where g.TEL_NO=t.TEL_NO");
    s << QStringLiteral("and g.DT_FROM between '%1' and '%2 23:59:59'")
             .arg(q.From.toString(QStringLiteral("MM/dd/yy")), q.To.toString(QStringLiteral("MM/dd/yy")));
    if (!q.TelNo.isEmpty()) s << QStringLiteral("and g.TEL_NO=") + SqlQuote(q.TelNo);
    if (!q.CustTel.isEmpty()) s << QStringLiteral("and t.CUST_TEL_NON=") + SqlQuote(q.CustTel);
    if (q.Kubun == 0) s << QStringLiteral("and g.TEL_TYPE=") + SqlQuote(QStringLiteral("着信"));
    else if (q.Kubun == 1) s << QStringLiteral("and g.TEL_TYPE=") + SqlQuote(QStringLiteral("発信"));
    if (!q.CountMode) {
        s << QStringLiteral("order by g.LOG_NO");
    } else {
        s << (q.ByCustomer ? QStringLiteral("group by t.CUST_TEL_NON") : QStringLiteral("group by t.TEL_NO"));
        s << QStringLiteral("order by count(g.LOG_NO) desc");
    }
    return s.join(kCrLf);
}

QList<TPrint> TReportSql::TotalTops(int n, const QString& sql)
{
    QList<TPrint> rows;
    qint64 rest = 0;
    {
        TSelect s(FDm.sqlWork2, sql);
        for (int i = 0; !s.Eof(); s.Next(), ++i) {
            TFbQuery& q = s.Query();
            if (n > 0 && i >= n) {
                rest += q.Field(2).AsInt64();
                continue;
            }
            TPrint p;
            p.TEL_NO = q.Field(0).AsString();
            if (p.TEL_NO.isEmpty()) p.TEL_NO = QStringLiteral("　");
            p.CALLER = q.Field(1).AsString();
            p.TOTAL = q.Field(2).AsInteger();
            rows << p;
        }
    }
    if (rest > 0) rows << TPrint{QStringLiteral("-"), QStringLiteral("その他"), int(rest)};
    // PRINT1 is shared by the copies on the LAN: empty and fill it in one
    // transaction, so another copy's rows never mix with these.
    FDm.IBTranFnc.StartTransaction();
    try {
        FDm.DeleteAllRows(QStringLiteral("PRINT1"));
        for (const TPrint& p : rows) FDm.InsertPrint(p);
        FDm.IBTranFnc.Commit();
    } catch (...) {
        FDm.IBTranFnc.Rollback();
        throw;
    }
    return rows;
}

QList<TCallListRow> TReportSql::CallList(const QString& sql)
{
    QList<TCallListRow> rows;
    for (TSelect s(FDm.sqlWork2, sql); !s.Eof(); s.Next()) {
        TCallListRow r;
        r.DT_FROM = s["DT_FROM"].AsDateTime();
        r.TEL_NO = s["TEL_NO"].AsString();
        r.CALLER = s["CALLER"].AsString();
        r.TEL_TYPE = s["TEL_TYPE"].AsString();
        r.PORT_NO = s["PORT_NO"].AsString();
        r.TEL_MEMO = s["TEL_MEMO"].AsString();
        rows << r;
    }
    return rows;
}

bool TReportSql::TelExists(const QString& telNo)
{
    TTels t;
    return FDm.GetTels(telNo, t);
}

QString TReportSql::TelCaller(const QString& telNo)
{
    TTels t;
    return FDm.GetTels(telNo, t) ? t.CALLER : QString();
}

bool TReportSql::CustExists(const QString& custTel, QString* name)
{
    QString n, kana;
    const bool found = FDm.GetCustInfo(custTel, n, kana);
    if (name) *name = n;
    return found;
}

// ---------------------------------------------------------------- exports

QString TReportSql::LogCondition(const QDate& from, const QDate& to)
{
    return Period(QStringLiteral("g.DT_FROM"), from, to);
}

QString TReportSql::LogCountSql(const QDate& from, const QDate& to)
{
    return QStringLiteral("select count(LOG_NO) CNT from log g") + kCrLf + LogCondition(from, to);
}

QString TReportSql::LogDataSql(const QDate& from, const QDate& to)
{
    return QStringLiteral("select g.DT_FROM,g.TEL_NO,g.TEL_TYPE,g.PORT_NO,t.CALLER,g.DT_TO,g.TEL_MEMO from log g left "
                          "join tels t on g.TEL_NO = t.TEL_NO") +
           kCrLf + LogCondition(from, to) + QStringLiteral(" order by g.LOG_NO");
}

QString TReportSql::AcceptCountSql(const QDate& from, const QDate& to)
{
    return QStringLiteral("select count(ACT_NO) CNT from ACCEPT_T a") + kCrLf +
           Period(QStringLiteral("a.ACT_DT"), from, to);
}

QString TReportSql::AcceptDataSql(const QDate& from, const QDate& to)
{
    return QStringLiteral("select c.CUST_NAME, c.CUST_TEL, g.TEL_NO, a.ACT_DT, t.TYPE_NAME, r.RESULT_NAME, u.USERNM, "
                          "a.TITLE, a.CONTENT from ACCEPT_T a  left join CUSTOMER c on c.CUST_NO = a.CUST_NO  left "
                          "join LOG g on g.LOG_NO = a.LOG_NO  left join USER_M u on u.USERID = a.USERID  left join "
                          "ACCEPT_TYPE t on t.TYPE_ID = a.TYPE_ID  left join ACCEPT_RESULT r on r.RESULT_ID = "
                          "a.RESULT_ID ") +
           kCrLf + Period(QStringLiteral("a.ACT_DT"), from, to) + QStringLiteral(" order by a.ACT_NO");
}

QString TReportSql::OptionColumnsSql()
{
    return QStringLiteral("select OPTION_ID, DESP_NAME, FIELD_TYPE from OPTION_M where DEL_DT is null and OPTION_ID "
                          "between 1 and 20 order by OPTION_ID");
}

QList<TOptionColumn> TReportSql::OptionColumns()
{
    QList<TOptionColumn> out;
    for (TSelect s(FDm.sqlWork2, OptionColumnsSql()); !s.Eof(); s.Next()) {
        TOptionColumn c;
        c.Id = s["OPTION_ID"].AsInteger();
        c.Title = s["DESP_NAME"].AsString();
        if (c.Title.isEmpty()) c.Title = QStringLiteral("項目%1").arg(c.Id, 2, 10, QLatin1Char('0'));
        c.FieldType = s["FIELD_TYPE"].AsString().trimmed();
        out << c;
    }
    return out;
}

QString TReportSql::CustCountSql()
{
    return QStringLiteral("select count(CUST_NO) CNT, max(CUST_NO) MAX_CUST_NO from CUSTOMER where DEL_DT is null");
}

QStringList TReportSql::CustDataSql(const QList<TOptionColumn>& options, int maxCustNo)
{
    QString head = QStringLiteral(
        "select c.CUST_NAME, c.CUST_KANA, c.BIRTH_DT, CASE c.SEX WHEN 0 then '不明' WHEN 1 then '男' WHEN 2 then '女' "
        "ELSE '' END AS SEX_NAME, c.CUST_TEL, c.FAX_NO, c.ZIP_CD, c.ADDRESS, c.MAP_URL, c.EMAIL, c.HP_URL, u.USERNM, "
        "c.OTHERS");
    QString joins;
    for (const TOptionColumn& o : options) {
        const QString nn = QStringLiteral("%1").arg(o.Id, 2, 10, QLatin1Char('0'));
        if (o.FieldType == QLatin1String("m")) {
            head += QStringLiteral(", d%1.DNAME as OPTION_%1").arg(nn);
            joins += QStringLiteral(" left join OPTION_D_M d%1 on d%1.OPTION_ID = %2 and d%1.DID = c.OPTION_%1")
                         .arg(nn)
                         .arg(o.Id);
        } else {
            head += QStringLiteral(", c.OPTION_") + nn;
        }
    }
    const QString base =
        head + QStringLiteral(" from CUSTOMER c") + QStringLiteral(" left join USER_M u on u.USERID = c.USERID") + joins;
    const int blocks = (maxCustNo + 9999) / 10000;
    if (blocks < 2) return {base + QStringLiteral(" where c.DEL_DT is null order by c.CUST_NO")};
    QStringList out;
    for (int k = 0; k < blocks; ++k) {
        if (k < blocks - 1)
            out << base + QStringLiteral(" where c.DEL_DT is null and c.CUST_NO between %1 and %2 order by c.CUST_NO")
                              .arg(k * 10000)
                              .arg(k * 10000 + 9999);
        else
            out << base + QStringLiteral(" where c.DEL_DT is null and c.CUST_NO >= %1 order by c.CUST_NO").arg(k * 10000);
    }
    return out;
}

QString TReportSql::TelsCountSql()
{
    return QStringLiteral("select count(TEL_NO) CNT from TELS");
}

QString TReportSql::TelsDataSql()
{
    return QStringLiteral("select TEL_NO, CUST_TEL_NON, CALLER, READ_NAME from TELS order by TEL_NO");
}

QList<qint64> TReportSql::Counts(const QString& sql)
{
    QList<qint64> out;
    FDm.sqlWork2.SQL = sql;
    FDm.sqlWork2.Open();
    TFbQuery::TCloser closer(FDm.sqlWork2);
    for (int i = 0; i < FDm.sqlWork2.FieldCount(); ++i)
        out << (FDm.sqlWork2.Eof() ? 0 : FDm.sqlWork2.Field(i).AsInt64());
    return out;
}

void TReportSql::ReadRows(const QString& sql, const std::function<bool(const TCellRow&)>& onRow, bool rawText)
{
    TFbQuery& q = FDm.sqlWork2;
    q.SQL = sql;
    q.Open();
    TFbQuery::TCloser closer(q);
    const int n = q.FieldCount();
    std::vector<TFbFieldKind> kinds(size_t(n), TFbFieldKind::Other);
    for (int i = 0; i < n; ++i) kinds[size_t(i)] = q.FieldKind(i);
    TCellRow row(static_cast<size_t>(n));
    for (; !q.Eof(); q.Next()) {
        for (int i = 0; i < n; ++i) {
            TCell& c = row[size_t(i)];
            c.Broken = false;
            const TFbField f = q.Field(i);
            if (f.IsNull()) {
                c.Kind = TCell::TKind::Null;
                continue;
            }
            switch (kinds[size_t(i)]) {
            case TFbFieldKind::Integer:
            case TFbFieldKind::Float:
                c.Kind = TCell::TKind::Number;
                c.Number = f.AsFloat();
                break;
            case TFbFieldKind::DateTime: {
                // Zone-free: only the written date and time matter here.
                QDate d;
                QTime t;
                c.Kind = TCell::TKind::DateTime;
                c.DateTime = f.AsDateAndTime(&d, &t) ? QDateTime(d, t, Qt::UTC) : QDateTime();
                break;
            }
            default: {
                c.Kind = TCell::TKind::Text;
                c.Raw = f.AsBytes();
                c.Broken = !Cp932::WellFormed(c.Raw);
                if (!rawText) c.Text = Cp932::Decode(c.Raw);
                break;
            }
            }
        }
        if (!onRow(row)) break;
    }
}

// ---------------------------------------------------------------- deletion

QString TReportSql::DeleteLogSql(const QString& conditions)
{
    return QStringLiteral("delete from log") + kCrLf + conditions;
}

void TReportSql::DeleteLog(const QString& sql)
{
    FDm.ExecSql(sql);
}
