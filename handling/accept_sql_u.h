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
