#include "main_sql_u.h"

#include "db_query_u.h"
#include "dm_cmn_u.h"

namespace MainSql {
QString DayHistoryStatement(const QDate& day, int kind)
{
    QString sql = QStringLiteral("select g.*, t.CUST_TEL_NON, t.CALLER, t.READ_NAME, a.ACT_NO from LOG g "
                                 "left join TELS t on t.TEL_NO = g.TEL_NO "
                                 "left join ACCEPT_T a on a.LOG_NO = g.LOG_NO where g.DT_FROM >= ") +
                  SqlDate(day.startOfDay()) + QStringLiteral(" and g.DT_FROM < ") +
                  SqlDate(day.addDays(1).startOfDay());
    switch (kind) {
    case 0: sql += QStringLiteral(" and g.TEL_TYPE = '着信'"); break;
    case 1: sql += QStringLiteral(" and g.TEL_TYPE = '発信'"); break;
    default: break;
    }
    return sql + QStringLiteral(" order by g.DT_FROM desc");
}

QList<THistoryRow> DayHistory(TdmCmn& dm, const QDate& day, int kind)
{
    QList<THistoryRow> rows;
    for (TSelect s(dm.sqlWork, DayHistoryStatement(day, kind)); !s.Eof(); s.Next()) rows << CallRows::Read(s);
    return rows;
}
} // namespace MainSql
