#pragma once
// The two statistics reports, laid out in millimetres on A4 with 10 mm
// margins: TfrmPrint1 the call counts (portrait), TfrmPrint2 the list of
// calls (landscape). Each has a page header on every page (title, print
// date and time, page number, headings), detail bands of 8.5 mm, and report
// 1 a summary band with the column sum. Labels can be changed before Job().
#include "db_records_u.h"
#include "print_seam_u.h"
#include "report_sql_u.h"

#include <QDateTime>
#include <QList>
#include <QString>

class TfrmPrint1
{
public:
    QString ReportTitle = QStringLiteral("電話番号集計");
    QString lblTitle = QStringLiteral("発着信電話番号別");
    QString lblCountHead = QStringLiteral("NO");
    QString lblNumberHead = QStringLiteral("電話番号");
    QString lblNameHead = QStringLiteral("名前");
    QString lblValueHead = QStringLiteral("通話回数[回]");

    static constexpr double kHeaderMm = 22.0;
    static constexpr double kBandMm = 8.5;
    static int RowsPerPage();
    static int PageCount(int rows);
    // Nothing is printed for no rows.
    TPrintJob Job(const QList<TPrint>& rows, const QDateTime& printedAt) const;
};

class TfrmPrint2
{
public:
    QString ReportTitle = QStringLiteral("電話番号集計");
    QString lblTitle = QStringLiteral("発着信電話番号別");

    static constexpr double kHeaderMm = 19.5;
    static constexpr double kBandMm = 8.5;
    static int RowsPerPage();
    static int PageCount(int rows);
    // The memo as printed: every CR and LF removed.
    static QString txtMemoPrint(const QString& memo);
    TPrintJob Job(const QList<TCallListRow>& rows, const QDateTime& printedAt) const;
};
