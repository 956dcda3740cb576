#include "user_sql_u.h"

#include "db_query_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"

const QList<TAuthority>& Authorities()
{
    static const QList<TAuthority> list{{1, QStringLiteral("一般")}, {9999, QStringLiteral("管理者")}};
    return list;
}

int AuthorityIndex(const QString& stored)
{
    bool ok = false;
    const int value = stored.toInt(&ok);
    if (!ok) return -1;
    for (int i = 0; i < Authorities().size(); ++i)
        if (Authorities()[i].Value == value) return i;
    return -1;
}

QString AuthorityLabel(const QString& stored)
{
    const int i = AuthorityIndex(stored);
    return i < 0 ? QString() : Authorities()[i].Label;
}

namespace {
TUserRow ReadRow(const TSelect& s)
{
    TUserRow r;
    r.USERID = s[QStringLiteral("USERID")].AsString();
    r.USERNM = s[QStringLiteral("USERNM")].AsString();
    r.PASSWD = s[QStringLiteral("PASSWD")].AsString();
    const TFbField auth = s[QStringLiteral("AUTH")];
    r.AUTH = auth.IsNull() ? QString() : auth.AsString();
    r.LISTID = s[QStringLiteral("LISTID")].AsString();
    r.FROMDT = s[QStringLiteral("FROMDT")].AsDateTime().date();
    r.TODT = s[QStringLiteral("TODT")].AsDateTime().date();
    r.DEL_DT = s[QStringLiteral("DEL_DT")].AsDateTime();
    return r;
}

QString DateOrNull(const QDate& d)
{
    return d.isValid() ? SqlDate(d.startOfDay()) : QStringLiteral("null");
}

QString AuthValue(const QString& auth)
{
    // Written bare: only a number may go in.
    return IsSqlInteger(auth) ? auth : QStringLiteral("null");
}
} // namespace

namespace UserSql {

bool ValidOn(const TUserRow& user, const QDate& day)
{
    return user.DEL_DT.isNull() && (!user.FROMDT.isValid() || user.FROMDT <= day) &&
           (!user.TODT.isValid() || user.TODT > day);
}

QString UserListStatement(bool showDeleted)
{
    return QStringLiteral("select * from USER_M ") +
           (showDeleted ? QString() : QStringLiteral("where DEL_DT is null ")) + QStringLiteral("order by LISTID");
}

QList<TUserRow> UserList(TdmCmn& dm, bool showDeleted)
{
    const QString sql = UserListStatement(showDeleted);
    Log::Detail(QStringLiteral("MakeMainGrid SQL=") + sql);
    QList<TUserRow> rows;
    for (TSelect s(dm.sqlWork2, sql); !s.Eof(); s.Next()) rows << ReadRow(s);
    return rows;
}

QString SearchStatement(const QString& filter)
{
    QString sql = QStringLiteral("select * from USER_M  where DEL_DT is null ");
    // The filter is quoted like any text, so quotes and "%" typed in it are safe.
    if (!filter.isEmpty())
        sql += QStringLiteral("and USERNM like ") + SqlQuote(QLatin1Char('%') + filter + QLatin1Char('%')) +
               QLatin1Char(' ');
    return sql + QStringLiteral(" order by LISTID");
}

QList<TUserRow> SearchList(TdmCmn& dm, const QString& filter, const QDateTime& now)
{
    Log::Detail(QStringLiteral("TfrmSearchUser.MakeMainList begin"));
    QList<TUserRow> rows;
    for (TSelect s(dm.sqlWork2, SearchStatement(filter)); !s.Eof(); s.Next()) {
        const TUserRow r = ReadRow(s);
        // Against the current date and time: a FROMDT of today has begun.
        if (r.FROMDT.isValid() && r.FROMDT.startOfDay() > now) continue;
        if (r.TODT.isValid() && !(r.TODT.startOfDay() > now)) continue;
        rows << r;
    }
    return rows;
}

int RowState(TdmCmn& dm, const QString& userId)
{
    return dm.GetDeleteState(QStringLiteral("USER_M"), QStringLiteral("USERID"), SqlQuote(userId));
}

QString InsertStatement(const TUserRow& u, const QDateTime& now)
{
    const QStringList values{SqlQuote(u.USERID), SqlQuote(u.USERNM),  SqlQuote(u.PASSWD),
                             AuthValue(u.AUTH),  SqlQuote(u.LISTID),  DateOrNull(u.FROMDT),
                             DateOrNull(u.TODT), SqlDateTime(now)};
    return QStringLiteral("insert into USER_M (USERID, USERNM, PASSWD, AUTH, LISTID, FROMDT, TODT, UPDT) values (") +
           values.join(QStringLiteral(", ")) + QStringLiteral(")");
}

QString UpdateStatement(const TUserRow& u, const QDateTime& now)
{
    return QStringLiteral("update USER_M set USERNM = ") + SqlQuote(u.USERNM) + QStringLiteral(", PASSWD = ") +
           SqlQuote(u.PASSWD) + QStringLiteral(", AUTH = ") + AuthValue(u.AUTH) + QStringLiteral(", LISTID = ") +
           SqlQuote(u.LISTID) + QStringLiteral(", FROMDT = ") + DateOrNull(u.FROMDT) + QStringLiteral(", TODT = ") +
           DateOrNull(u.TODT) + QStringLiteral(", DEL_DT = null, UPDT = ") + SqlDateTime(now) +
           QStringLiteral(" where USERID = ") + SqlQuote(u.USERID);
}

QString DeleteStatement(const QString& userId, const QDateTime& now)
{
    return QStringLiteral("update USER_M set DEL_DT = ") + SqlDateTime(now) + QStringLiteral(" ") +
           QStringLiteral("where USERID = ") + SqlQuote(userId);
}

} // namespace UserSql
