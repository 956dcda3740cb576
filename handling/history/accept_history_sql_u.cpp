#include "accept_history_sql_u.h"

#include "log_u.h"
#include "sql_literal_u.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

namespace AcceptHistorySql {

QString DayStatement(const QDate& day)
{
    return QStringLiteral("select a.*, c.CUST_NAME, c.CUST_TEL_NON, u.USERNM, t.TYPE_NAME, r.RESULT_NAME from ACCEPT_T a "
                          " left join USER_M u on u.USERID = a.USERID "
                          " left join ACCEPT_TYPE t on t.TYPE_ID = a.TYPE_ID "
                          " left join ACCEPT_RESULT r on r.RESULT_ID = a.RESULT_ID "
                          " , CUSTOMER c where a.CUST_NO = c.CUST_NO and c.DEL_DT is null "
                          " and a.ACT_DT >= ") +
           SqlDate(day.startOfDay()) + QStringLiteral(" and a.ACT_DT < ") + SqlDate(day.addDays(1).startOfDay()) +
           QStringLiteral(" order by a.ACT_DT desc");
}

QList<TAcceptRow> Day(TdmCmn& dm, const QDate& day)
{
    return AcceptSql::ReadAccepts(dm, DayStatement(day), true);
}

QString ContainsPattern(const QString& text)
{
    // "!" never occurs inside a double-byte character of the stored code
    // page, unlike "\" (the second byte of some kanji).
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('!') || c == QLatin1Char('%') || c == QLatin1Char('_')) escaped += QLatin1Char('!');
        escaped += c;
    }
    return SqlQuote(QLatin1Char('%') + escaped + QLatin1Char('%')) + QStringLiteral(" escape '!'");
}

QString SearchStatement(const TActSearchCond& c)
{
    QString sql = QStringLiteral("select a.*, c.CUST_NAME, c.CUST_TEL_NON, u.USERNM ,t.TYPE_NAME, r.RESULT_NAME \r\n"
                                 " from ACCEPT_T a\r\n"
                                 " left join USER_M u on u.USERID = a.USERID\r\n"
                                 " left join ACCEPT_TYPE t on t.TYPE_ID = a.TYPE_ID\r\n"
                                 " left join ACCEPT_RESULT r on r.RESULT_ID = a.RESULT_ID\r\n"
                                 " , CUSTOMER c where c.CUST_NO = a.CUST_NO and c.DEL_DT is null ");
    auto add = [&sql](const QString& cond) { sql += QStringLiteral("and") + cond + kCrLf; };
    if (c.From.isValid()) add(QStringLiteral(" a.ACT_DT >= ") + SqlDate(c.From.startOfDay()));
    if (c.To.isValid()) add(QStringLiteral(" a.ACT_DT < ") + SqlDate(c.To.addDays(1).startOfDay()));
    if (c.CustNo != -1) add(QStringLiteral(" a.CUST_NO = ") + QString::number(c.CustNo));
    if (!c.Text.isEmpty()) {
        const QString p = ContainsPattern(c.Text);
        if (c.InTitle && c.InContent)
            add(QStringLiteral(" ( a.CONTENT like ") + p + QStringLiteral(" or a.TITLE like ") + p +
                QStringLiteral(")"));
        else if (c.InTitle)
            add(QStringLiteral(" a.TITLE like ") + p);
        else if (c.InContent)
            add(QStringLiteral(" a.CONTENT like ") + p);
    }
    if (!c.TypeId.isEmpty()) add(QStringLiteral(" a.TYPE_ID = ") + SqlQuote(c.TypeId));
    if (!c.ResultId.isEmpty()) add(QStringLiteral(" a.RESULT_ID = ") + SqlQuote(c.ResultId));
    if (!c.UserId.isEmpty()) add(QStringLiteral(" a.USERID = ") + SqlQuote(c.UserId));
    return sql + QStringLiteral(" order by a.ACT_DT desc");
}

QList<TAcceptRow> Search(TdmCmn& dm, const TActSearchCond& cond)
{
    return AcceptSql::ReadAccepts(dm, SearchStatement(cond), true);
}

} // namespace AcceptHistorySql
