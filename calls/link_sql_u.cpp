#include "link_sql_u.h"

#include "db_query_u.h"
#include "dm_cmn_u.h"

namespace {
QList<TLinkEntry> Entries(TdmCmn& dm, const QString& sql)
{
    QList<TLinkEntry> out;
    for (TSelect s(dm.sqlWork, sql); !s.Eof(); s.Next())
        out << TLinkEntry{s[QStringLiteral("IF_NO")].AsInteger(), s[QStringLiteral("IF_NAME")].AsString()};
    return out;
}
} // namespace

namespace LinkSql {
QList<TLinkEntry> AllEntries(TdmCmn& dm)
{
    return Entries(dm, QStringLiteral("select * from INTERFACE order by IF_NO"));
}

QList<TLinkEntry> EntryNames(TdmCmn& dm)
{
    return Entries(dm, QStringLiteral("select IF_NO, IF_NAME from INTERFACE order by IF_NO"));
}
} // namespace LinkSql
