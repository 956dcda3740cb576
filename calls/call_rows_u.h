#pragma once
// One call-log row as the call lists show it (the main window's history and
// a customer's calls): the columns of the grid, and the hidden cells kept
// beyond them.
#include "string_grid_u.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class TSelect;

struct TCallRow
{
    QDateTime DT_FROM;
    QString TEL_NO, TEL_TYPE, PORT_NO, CALLER, TEL_MEMO, ACT_NO, CUST_TEL_NON, READ_NAME, LOG_NO;
};

namespace CallRows {
// Columns of a call grid; 7 to 9 are kept, not shown.
enum TCol { colDate, colTelNo, colType, colLine, colCaller, colMemo, colAct, colCustTelNon, colReadName, colLogNo };

// Reads the current row of a statement that selects g.*, t.CUST_TEL_NON,
// t.CALLER, t.READ_NAME and a.ACT_NO.
TCallRow Read(const TSelect& s);
// Headers and widths; the handling column only with the handling feature,
// the customer name column hidden where the list is one customer's.
QList<TGridColumn> Columns(bool useAccept, bool showCaller = true);
// The cells of one grid row.
QStringList Cells(const TCallRow& r, bool useAccept);
// Fills a grid with rows (one empty row when there are none).
void Fill(TStringGrid* grid, const QList<TCallRow>& rows, bool useAccept);
}
