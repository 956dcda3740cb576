#pragma once
// The four exports of the export window: call log and handling records of a
// period, customer list, phone book. The file type follows the extension:
// ".xls" a BIFF8 workbook, ".xlsx" an Office Open XML workbook, anything
// else Shift-JIS comma-separated text with CR LF. No widgets; questions and
// warnings go through Msg, progress through the two callbacks.
#include "report_sql_u.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class TdmCmn;
class TSheetWriter;

class TDataExport
{
public:
    TDataExport(TdmCmn& dm, QWidget* parent);

    // The row count, once per export; then rows done, now and then (the
    // window lets pending messages run there).
    std::function<void(qint64 max)> OnMaximum;
    std::function<void(qint64 done)> OnProgress;

    // The warning for a path that cannot be used, or empty.
    static QString PathProblem(const QString& path);
    // A text value as it goes into a comma-separated file: a value that a
    // spreadsheet would take for a formula gets a leading apostrophe.
    static QString CsvSafe(const QString& value);

    // Each returns true when a file was written. Failures to write raise
    // EExportError; database errors EDbError.
    bool ExportLog(const QString& path, const QDate& from, const QDate& to, bool delCrlf);
    bool ExportAccept(const QString& path, const QDate& from, const QDate& to, bool delCrlf);
    bool ExportCust(const QString& path, bool delCrlf);
    bool OutTels(const QString& path);

private:
    // One export: its statements, header line and sheet layout.
    struct TExportJob
    {
        QString HeaderLine;
        QString CountSql;
        QStringList DataSql;
        QString DataLogPrefix = QStringLiteral("dmCmn.sqlWork2.SQL.Text=");
        int MemoColumn = -1;
        bool DelCrlf = false;
        bool AskOverwrite = false;
        QString SheetTitle;
        QList<int> TextColumns;
        QList<double> Widths; // per column from A; 0: left as it is
    };
    bool Run(const QString& path, const TExportJob& job);
    bool ConfirmOverwrite(const QString& path);

    TReportSql FSql;
    QWidget* FParent;
};
