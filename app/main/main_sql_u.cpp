#include "main_sql_u.h"

#include "db_query_u.h"
#include "dm_cmn_u.h"

namespace MainSql {
namespace {
const QString kTelIn = QStringLiteral("着信");
const QString kTelOut = QStringLiteral("発信");

QString HistorySelect()
{
    return QStringLiteral("select g.*, t.CUST_TEL_NON, t.CALLER, t.READ_NAME, a.ACT_NO from LOG g "
                          "left join TELS t on t.TEL_NO = g.TEL_NO "
                          "left join ACCEPT_T a on a.LOG_NO = g.LOG_NO where ");
}

QList<THistoryRow> HistoryRows(TdmCmn& dm, const QString& sql)
{
    QList<THistoryRow> rows;
    for (TSelect s(dm.sqlWork, sql); !s.Eof(); s.Next()) rows << CallRows::Read(s);
    return rows;
}
} // namespace

QString DayHistoryStatement(const QDate& day, int kind)
{
    QString sql = HistorySelect() + QStringLiteral("g.DT_FROM >= ") + SqlDate(day.startOfDay()) +
                  QStringLiteral(" and g.DT_FROM < ") + SqlDate(day.addDays(1).startOfDay());
    switch (kind) {
    case 0: sql += QStringLiteral(" and g.TEL_TYPE = '") + kTelIn + QLatin1Char('\''); break;
    case 1: sql += QStringLiteral(" and g.TEL_TYPE = '") + kTelOut + QLatin1Char('\''); break;
    default: break;
    }
    return sql + QStringLiteral(" order by g.DT_FROM desc");
}

QList<THistoryRow> DayHistory(TdmCmn& dm, const QDate& day, int kind)
{
    return HistoryRows(dm, DayHistoryStatement(day, kind));
}

bool KindMatches(int kind, const QString& telType)
{
    switch (kind) {
    case 0: return telType == kTelIn;
    case 1: return telType == kTelOut;
    default: return true;
    }
}

QString CallsAfterStatement(qint64 logNo)
{
    return HistorySelect() + QStringLiteral("g.LOG_NO > ") + QString::number(logNo) +
           QStringLiteral(" order by g.DT_FROM desc");
}

QList<THistoryRow> CallsAfter(TdmCmn& dm, qint64 logNo)
{
    return HistoryRows(dm, CallsAfterStatement(logNo));
}

qint64 LastLogNo(TdmCmn& dm)
{
    TSelect s(dm.sqlWork, QStringLiteral("select gen_id(SEQ_LOG_NO, 0) as GENID from RDB$DATABASE"));
    return s.Eof() ? 0 : s[QStringLiteral("GENID")].AsInt64();
}
} // namespace MainSql
