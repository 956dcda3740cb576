#pragma once
// The statements of the user master, its search and its validity rule. No
// widgets: the user windows fill their grids and lists from these rows.
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

class TdmCmn;

// One USER_M row as the user window shows it. Null dates are invalid.
struct TUserRow
{
    QString USERID;
    QString USERNM;
    QString PASSWD;
    QString AUTH; // the stored value as text ("1", "9999", or anything else)
    QString LISTID;
    QDate FROMDT;
    QDate TODT;
    QDateTime DEL_DT;
};

// Authority values and the labels the box lists, in box order.
struct TAuthority
{
    int Value;
    QString Label;
};
const QList<TAuthority>& Authorities();
// Box position of a stored value ("1" -> 0, "9999" -> 1), -1 for anything else.
int AuthorityIndex(const QString& stored);
// Label of a stored value, empty for anything else.
QString AuthorityLabel(const QString& stored);

namespace UserSql {
// Valid on day D: not deleted, FROMDT empty or not after D, TODT empty or after D.
bool ValidOn(const TUserRow& user, const QDate& day);

// The user window's rows, in LISTID text order; deleted ones only when asked.
QString UserListStatement(bool showDeleted);
QList<TUserRow> UserList(TdmCmn& dm, bool showDeleted);

// Live users whose name contains filter, in LISTID order, then only those
// valid at now (the user search window).
QString SearchStatement(const QString& filter);
QList<TUserRow> SearchList(TdmCmn& dm, const QString& filter, const QDateTime& now);

// Row state of an ID: -1 none, 0 live, 1 deleted.
int RowState(TdmCmn& dm, const QString& userId);
// Adds the user, or rewrites every value of an existing one and clears its
// deletion (now is the write time).
QString InsertStatement(const TUserRow& user, const QDateTime& now);
QString UpdateStatement(const TUserRow& user, const QDateTime& now);
// Soft delete.
QString DeleteStatement(const QString& userId, const QDateTime& now);
}
