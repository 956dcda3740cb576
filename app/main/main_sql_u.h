#pragma once
// Statements of the main window, run on the data module's work query; rows
// come back as values, the window only fills its grids.
#include "call_rows_u.h"

#include <QDate>
#include <QList>
#include <QString>

class TdmCmn;

using THistoryRow = TCallRow;

namespace MainSql {
// Kind choice of the history: 0 incoming, 1 outgoing, anything else all.
QString DayHistoryStatement(const QDate& day, int kind);
// Calls of one day, newest first.
QList<THistoryRow> DayHistory(TdmCmn& dm, const QDate& day, int kind);
// Whether a row of that TEL_TYPE belongs to the kind choice.
bool KindMatches(int kind, const QString& telType);

// Calls logged after the call-log number logNo, of any day and kind, with
// the columns of the day's history, newest first.
QString CallsAfterStatement(qint64 logNo);
QList<THistoryRow> CallsAfter(TdmCmn& dm, qint64 logNo);
// The last call-log number handed out (by any copy).
qint64 LastLogNo(TdmCmn& dm);
}
