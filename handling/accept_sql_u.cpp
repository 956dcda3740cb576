#include "accept_sql_u.h"

#include "db_query_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"

const TAcceptMasterKind& TAcceptMasterKind::Type()
{
    static const TAcceptMasterKind k{QStringLiteral("TfrmAcceptType"),
                                     QStringLiteral("対応区分登録"),
                                     QStringLiteral("ACCEPT_TYPE"),
                                     QStringLiteral("TYPE_ID"),
                                     QStringLiteral("TYPE_NAME"),
                                     QStringLiteral("対応区分ID"),
                                     QStringLiteral("対応区分名"),
                                     QStringLiteral("対応区分IDを入力してください。"),
                                     QStringLiteral("対応区分名を入力してください。"),
                                     QStringLiteral("TfrmAcceptType.btnInsertClick"),
                                     QStringLiteral("TfrmAcceptType.btnDeleteClick")};
    return k;
}

const TAcceptMasterKind& TAcceptMasterKind::Result()
{
    static const TAcceptMasterKind k{QStringLiteral("TfrmAcceptResult"),
                                     QStringLiteral("対応結果登録"),
                                     QStringLiteral("ACCEPT_RESULT"),
                                     QStringLiteral("RESULT_ID"),
                                     QStringLiteral("RESULT_NAME"),
                                     QStringLiteral("対応結果ID"),
                                     QStringLiteral("対応結果名"),
                                     QStringLiteral("対応結果IDを入力してください。"),
                                     QStringLiteral("対応結果名を入力してください。"),
                                     QStringLiteral("TfrmAcceptResult.btnInsertClick begin"),
                                     QStringLiteral("TfrmAcceptResult.btnDeleteClick")};
    return k;
}

namespace {
TLookupList ReadLookup(TdmCmn& dm, const QString& sql, const QString& idColumn, const QString& nameColumn)
{
    TLookupList list = TLookupList::WithEmptyEntry();
    for (TSelect s(dm.sqlWork, sql); !s.Eof(); s.Next()) list.Add(s[idColumn].AsString(), s[nameColumn].AsString());
    return list;
}
} // namespace

namespace AcceptSql {

TLookupList MakeActTypeTemp(TdmCmn& dm)
{
    Log::Detail(QStringLiteral("TfrmMain.MakeActTypeTemp begin"));
    return ReadLookup(dm,
                      QStringLiteral("select TYPE_ID, TYPE_NAME from ACCEPT_TYPE where DEL_DT is null order by LIST_ID"),
                      QStringLiteral("TYPE_ID"), QStringLiteral("TYPE_NAME"));
}

TLookupList MakeActResultTemp(TdmCmn& dm)
{
    Log::Detail(QStringLiteral("TfrmMain.MakeActResultTemp begin"));
    return ReadLookup(
        dm, QStringLiteral("select RESULT_ID, RESULT_NAME from ACCEPT_RESULT where DEL_DT is null order by LIST_ID"),
        QStringLiteral("RESULT_ID"), QStringLiteral("RESULT_NAME"));
}

TLookupList MakeUserTemp(TdmCmn& dm, const QDate& today)
{
    Log::Detail(QStringLiteral("TfrmMain.MakeUserTemp begin"));
    const QString d = SqlDate(today.startOfDay());
    return ReadLookup(dm,
                      QStringLiteral("select * from USER_M where DEL_DT  is null and (FROMDT is null or FROMDT <= ") +
                          d + QStringLiteral(" )") + QStringLiteral(" and (TODT is null or TODT > ") + d +
                          QStringLiteral(" )") + QStringLiteral(" order by LISTID"),
                      QStringLiteral("USERID"), QStringLiteral("USERNM"));
}

QString CustAcceptStatement(int custNo)
{
    return QStringLiteral("select a.*, u.USERNM, t.TYPE_NAME, r.RESULT_NAME from ACCEPT_T a "
                          " left join USER_M u on u.USERID = a.USERID "
                          " left join ACCEPT_TYPE t on t.TYPE_ID = a.TYPE_ID "
                          " left join ACCEPT_RESULT r on r.RESULT_ID = a.RESULT_ID "
                          " where a.CUST_NO = ") +
           QString::number(custNo) + QStringLiteral(" order by a.ACT_DT desc");
}

QList<TAcceptRow> CustAccepts(TdmCmn& dm, int custNo)
{
    return ReadAccepts(dm, CustAcceptStatement(custNo), false);
}

QList<TAcceptRow> ReadAccepts(TdmCmn& dm, const QString& sql, bool withCustomer)
{
    QList<TAcceptRow> rows;
    for (TSelect s(dm.sqlWork2, sql); !s.Eof(); s.Next()) {
        TAcceptRow r;
        r.ActNo = s[QStringLiteral("ACT_NO")].AsInteger();
        r.CustNo = s[QStringLiteral("CUST_NO")].IsNull() ? -1 : s[QStringLiteral("CUST_NO")].AsInteger();
        r.ActDt = s[QStringLiteral("ACT_DT")].AsDateTime();
        r.Title = s[QStringLiteral("TITLE")].AsString();
        r.Content = s[QStringLiteral("CONTENT")].AsString();
        r.TypeName = s[QStringLiteral("TYPE_NAME")].AsString();
        r.ResultName = s[QStringLiteral("RESULT_NAME")].AsString();
        r.UserName = s[QStringLiteral("USERNM")].AsString();
        if (withCustomer) {
            r.CustName = s[QStringLiteral("CUST_NAME")].AsString();
            r.CustTelNon = s[QStringLiteral("CUST_TEL_NON")].AsString();
        }
        rows << r;
    }
    return rows;
}

QString MasterListStatement(const TAcceptMasterKind& kind, bool showDeleted)
{
    return QStringLiteral("select * from ") + kind.Table + QLatin1Char(' ') +
           (showDeleted ? QString() : QStringLiteral("where DEL_DT is null ")) + QStringLiteral("order by LIST_ID");
}

QList<TMasterRow> MasterList(TdmCmn& dm, const TAcceptMasterKind& kind, bool showDeleted)
{
    QList<TMasterRow> rows;
    for (TSelect s(dm.sqlWork2, MasterListStatement(kind, showDeleted)); !s.Eof(); s.Next())
        rows << TMasterRow{s[kind.KeyColumn].AsString(), s[kind.NameColumn].AsString(),
                           s[QStringLiteral("LIST_ID")].AsString(), s[QStringLiteral("DEL_DT")].AsDateTime()};
    return rows;
}

int MasterRowState(TdmCmn& dm, const TAcceptMasterKind& kind, const QString& id)
{
    return dm.GetDeleteState(kind.Table, kind.KeyColumn, SqlQuote(id));
}

QString MasterInsertStatement(const TAcceptMasterKind& kind, const TMasterRow& row)
{
    return QStringLiteral("insert into ") + kind.Table + QStringLiteral(" (") + kind.KeyColumn +
           QStringLiteral(", ") + kind.NameColumn + QStringLiteral(", LIST_ID) values (") + SqlQuote(row.Id) +
           QStringLiteral(", ") + SqlQuote(row.Name) + QStringLiteral(", ") + SqlQuote(row.ListId) +
           QStringLiteral(")");
}

QString MasterUpdateStatement(const TAcceptMasterKind& kind, const TMasterRow& row)
{
    return QStringLiteral("update ") + kind.Table + QStringLiteral(" set ") + kind.NameColumn + QStringLiteral(" = ") +
           SqlQuote(row.Name) + QStringLiteral(", ") + QStringLiteral("LIST_ID = ") + SqlQuote(row.ListId) +
           QStringLiteral(", ") + QStringLiteral("DEL_DT = null ") + QStringLiteral("where ") + kind.KeyColumn +
           QStringLiteral(" = ") + SqlQuote(row.Id);
}

QString MasterDeleteStatement(const TAcceptMasterKind& kind, const QString& id, const QDateTime& now)
{
    return QStringLiteral("update ") + kind.Table + QStringLiteral(" set DEL_DT = ") + SqlDateTime(now) +
           QStringLiteral(" ") + QStringLiteral("where ") + kind.KeyColumn + QStringLiteral(" = ") + SqlQuote(id);
}

} // namespace AcceptSql
