#pragma once
// The statements of the handling subsystem below the customer view: the
// lookup lists of types, results and users, and the type and result masters.
// No widgets.
#include "lookup_list_u.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

class TdmCmn;

// One handling record as the lists show it (names joined from the masters
// and, where the list spans customers, the customer).
struct TAcceptRow
{
    int ActNo = -1;
    int CustNo = -1;
    QDateTime ActDt;
    QString Title;
    QString Content;
    QString TypeName;
    QString ResultName;
    QString UserName;
    QString CustName;
    QString CustTelNon;
    // ACT_DT as the lists show it, "yyyy/mm/dd hh:nn".
    QString When() const { return ActDt.toString(QStringLiteral("yyyy/MM/dd HH:mm")); }
};

// One row of a type or result master.
struct TMasterRow
{
    QString Id;
    QString Name;
    QString ListId;
    QDateTime DelDt; // null: live
};

// The two masters differ only in these names.
struct TAcceptMasterKind
{
    QString WindowClass; // "TfrmAcceptType", names the log lines and the object
    QString Caption;
    QString Table;
    QString KeyColumn;
    QString NameColumn;
    QString IdLabel;
    QString NameLabel;
    QString MissingId;
    QString MissingName;
    QString InsertLog;
    QString DeleteLog;

    static const TAcceptMasterKind& Type();
    static const TAcceptMasterKind& Result();
};

namespace AcceptSql {
// Lookup lists, each beginning with the empty entry.
TLookupList MakeActTypeTemp(TdmCmn& dm);
TLookupList MakeActResultTemp(TdmCmn& dm);
// Users valid on today, in LISTID text order.
TLookupList MakeUserTemp(TdmCmn& dm, const QDate& today);

// The handling records of one customer, newest first.
QString CustAcceptStatement(int custNo);
QList<TAcceptRow> CustAccepts(TdmCmn& dm, int custNo);
// Rows of a statement selecting a.*, u.USERNM, t.TYPE_NAME, r.RESULT_NAME
// and, with customers, c.CUST_NAME and c.CUST_TEL_NON.
QList<TAcceptRow> ReadAccepts(TdmCmn& dm, const QString& sql, bool withCustomer);

// Master rows in LIST_ID text order; deleted ones only when asked.
QString MasterListStatement(const TAcceptMasterKind& kind, bool showDeleted);
QList<TMasterRow> MasterList(TdmCmn& dm, const TAcceptMasterKind& kind, bool showDeleted);
// -1 no row, 0 live, 1 deleted.
int MasterRowState(TdmCmn& dm, const TAcceptMasterKind& kind, const QString& id);
QString MasterInsertStatement(const TAcceptMasterKind& kind, const TMasterRow& row);
// Rewrites name and order and clears the deletion.
QString MasterUpdateStatement(const TAcceptMasterKind& kind, const TMasterRow& row);
QString MasterDeleteStatement(const TAcceptMasterKind& kind, const QString& id, const QDateTime& now);
}
