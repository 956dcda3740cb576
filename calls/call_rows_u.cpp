#include "call_rows_u.h"

#include "db_query_u.h"

namespace CallRows {
TCallRow Read(const TSelect& s)
{
    TCallRow r;
    r.DT_FROM = s[QStringLiteral("DT_FROM")].AsDateTime();
    r.TEL_NO = s[QStringLiteral("TEL_NO")].AsString();
    r.TEL_TYPE = s[QStringLiteral("TEL_TYPE")].AsString();
    r.PORT_NO = s[QStringLiteral("PORT_NO")].AsString();
    r.CALLER = s[QStringLiteral("CALLER")].AsString();
    r.TEL_MEMO = s[QStringLiteral("TEL_MEMO")].AsString();
    const TFbField act = s[QStringLiteral("ACT_NO")];
    r.ACT_NO = act.IsNull() ? QString() : act.AsString();
    r.CUST_TEL_NON = s[QStringLiteral("CUST_TEL_NON")].AsString();
    r.READ_NAME = s[QStringLiteral("READ_NAME")].AsString();
    r.LOG_NO = s[QStringLiteral("LOG_NO")].AsString();
    return r;
}

QList<TGridColumn> Columns(bool useAccept, bool showCaller)
{
    return {{QStringLiteral("発着信日時"), 149},
            {QStringLiteral("電話番号"), 118},
            {QStringLiteral("区分"), 50},
            {QStringLiteral("LINE"), 0, true},
            {QStringLiteral("顧客名"), 159, !showCaller},
            {QStringLiteral("メモ"), 193},
            {QStringLiteral("対応"), 35, !useAccept},
            {QString(), 0, true},
            {QString(), 0, true},
            {QString(), 0, true}};
}

QStringList Cells(const TCallRow& r, bool useAccept)
{
    return {r.DT_FROM.isValid() ? r.DT_FROM.toString(QStringLiteral("yy/MM/dd H:mm:ss")) : QString(),
            r.TEL_NO,
            r.TEL_TYPE,
            r.PORT_NO,
            r.CALLER,
            r.TEL_MEMO,
            useAccept ? r.ACT_NO : QString(),
            r.CUST_TEL_NON,
            r.READ_NAME,
            r.LOG_NO};
}

void Fill(TStringGrid* grid, const QList<TCallRow>& rows, bool useAccept)
{
    grid->ClearRows();
    grid->setUpdatesEnabled(false);
    grid->setRowCount(qMax(1, int(rows.size())));
    for (const TCallRow& r : rows) grid->AddRow(Cells(r, useAccept));
    grid->setUpdatesEnabled(true);
}
} // namespace CallRows
