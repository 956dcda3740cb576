#pragma once
// The statements of the handling history across customers: one day's
// records and the search. No widgets.
#include "accept_sql_u.h"

#include <QDate>
#include <QList>
#include <QString>

// Conditions of the handling search; empty or unset means "any".
struct TActSearchCond
{
    QDate From; // null: unchecked
    QDate To;   // null: unchecked
    int CustNo = -1;
    QString Text;
    bool InTitle = true;
    bool InContent = true;
    QString TypeId;
    QString ResultId;
    QString UserId;
};

namespace AcceptHistorySql {
// Records of customers not deleted, on day, newest first.
QString DayStatement(const QDate& day);
QList<TAcceptRow> Day(TdmCmn& dm, const QDate& day);
QString SearchStatement(const TActSearchCond& cond);
QList<TAcceptRow> Search(TdmCmn& dm, const TActSearchCond& cond);
// The text as a LIKE pattern matching it anywhere, "%" and "_" taken
// literally.
QString ContainsPattern(const QString& text);
}
