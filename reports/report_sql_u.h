#pragma once
// The statements of the statistics, export and history-deletion windows and
// the rows they read. No widgets: windows and exports take rows from here.
#include "db_records_u.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class TdmCmn;

// The options GetSqlStr has checked, as the statistics statement needs them.
struct TTotalQuery
{
    bool CountMode = true;   // "通話回数"; false: list of calls
    bool ByCustomer = false; // "顧客別（代表電話番号別）"
    int Kubun = 0;           // 0 着信, 1 発信, 2 全て
    QDate From, To;
    QString TelNo;   // "個別指定" number of the phone-number group, else empty
    QString CustTel; // "個別指定" number of the customer group, else empty
};

// One call of the list report.
struct TCallListRow
{
    QDateTime DT_FROM;
    QString TEL_NO, CALLER, TEL_TYPE, PORT_NO, TEL_MEMO;
};

// One value of an export row, typed as the database gives it.
struct TCell
{
    enum class TKind { Null, Text, Number, DateTime };
    TKind Kind = TKind::Null;
    QString Text;
    QByteArray Raw; // the stored Shift-JIS bytes instead of Text (rawText)
    double Number = 0;
    QDateTime DateTime;
    bool Broken = false; // stored bytes that are no Shift-JIS text
};
using TCellRow = std::vector<TCell>;

// An extra customer column of the customer export.
struct TOptionColumn
{
    int Id = 0;        // 1..20
    QString Title;     // DESP_NAME, or "項目" + NN
    QString FieldType; // "m": a code of OPTION_D_M
};

class TReportSql
{
public:
    explicit TReportSql(TdmCmn& dm) : FDm(dm) {}

    // Statistics statement, lines joined by CR LF.
    static QString TotalSql(const TTotalQuery& q);
    // Empties PRINT1, fills it from sql with the top-n cut and the "その他"
    // row, and returns the rows it wrote, in that order.
    QList<TPrint> TotalTops(int n, const QString& sql);
    // Rows of the list report.
    QList<TCallListRow> CallList(const QString& sql);
    bool TelExists(const QString& telNo);
    bool CustExists(const QString& custTel, QString* name = nullptr);
    QString TelCaller(const QString& telNo);

    // Exports. Period conditions as two lines each.
    static QString LogCondition(const QDate& from, const QDate& to);
    static QString LogCountSql(const QDate& from, const QDate& to);
    static QString LogDataSql(const QDate& from, const QDate& to);
    static QString AcceptCountSql(const QDate& from, const QDate& to);
    static QString AcceptDataSql(const QDate& from, const QDate& to);
    static QString OptionColumnsSql();
    static QString CustCountSql();
    // Data statements of the customer export, one per block of 10000
    // customer numbers.
    static QStringList CustDataSql(const QList<TOptionColumn>& options, int maxCustNo);
    static QString TelsCountSql();
    static QString TelsDataSql();
    QList<TOptionColumn> OptionColumns();
    // First row's columns as integers (counts).
    QList<qint64> Counts(const QString& sql);
    // Runs sql and hands every row to onRow (the same vector, refilled);
    // onRow returns false to stop. With rawText, texts come as their stored
    // Shift-JIS bytes (Raw), not decoded.
    void ReadRows(const QString& sql, const std::function<bool(const TCellRow&)>& onRow, bool rawText = false);

    // History deletion.
    static QString DeleteLogSql(const QString& conditions);
    void DeleteLog(const QString& sql);

private:
    TdmCmn& FDm;
};
