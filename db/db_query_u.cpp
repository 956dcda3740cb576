#include "db_query_u.h"

#include "log_u.h"

TSelect::TSelect(TFbQuery& q, const QString& sql) : FQ(q)
{
    Log::Detail(QStringLiteral("strSql=") + sql);
    FQ.SQL = sql;
    FQ.Open();
}
