#pragma once
// TdmCmn, the data module: the one Firebird connection of the program, its
// statement objects and every record operation on the shared database.
//
// How to use it
//   TdmCmn dm(settings);          // connection closed; nothing touched yet
//   ConnectDatabaseAtStart(dm, settings, mainWindow);   // db_start_u.h:
//                                  // open, create the default file, InitTables
//   TTels tel;
//   if (dm.GetTels(number, tel)) ...                   // record operations
//
//   Own SELECTs run on sqlWork (list builders of the main window) or sqlWork2
//   (dialog and customer-view grids); rows are read by column name:
//     dm.sqlWork.SQL = "select ...";                    // log "strSql=" first
//     dm.sqlWork.Open();
//     TFbQuery::TCloser closer(dm.sqlWork);             // closes and commits
//     for (; !dm.sqlWork.Eof(); dm.sqlWork.Next())
//         name = dm.sqlWork.FieldByName("CALLER").AsString();
//   Null reads as "" (text), 0 (numbers) or a null QDateTime (dates: the
//   "date 0" of the old program). ExecSQL() runs a statement without rows.
//   Every statement commits on its own; text goes in and out as CP932.
//
//   Values in SQL text: SqlQuote(text), SqlValueOrNull(number text),
//   SqlDate/SqlDateTime(QDateTime), SqlFloat(double), SqlFlag(bool).
//
//   Errors: every operation raises EDbError (an EKuruten; message = the
//   engine's text) and leaves no result set open. A text with a character
//   that has no CP932 form raises EDbError naming the character, before
//   anything is written. The application's error handler passes every
//   message to ReDBConnect, which reconnects after a lost connection.
//
//   The SIP account save: ReplaceAccount (one transaction on IBTranIF).
//   The call-log record is TdmCmn::TLog (TLog alone is the diagnostic log).
#include "db_records_u.h"
#include "fb_table_u.h"
#include "fb_u.h"
#include "odbc_u.h"
#include "sql_literal_u.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <array>

class TSettings;
class QWidget;

class TdmCmn
{
public:
    // The call-log row (TLog alone is the diagnostic log).
    using TLog = TCallLog;

    // DataModuleCreate: connection closed, parameters set, name logged.
    explicit TdmCmn(TSettings& settings);
    ~TdmCmn();
    TdmCmn(const TdmCmn&) = delete;
    TdmCmn& operator=(const TdmCmn&) = delete;

    TFbDatabase IBDatabase1;
    TFbTransaction IBTranFnc;
    TFbTransaction IBTranWork;
    TFbTransaction IBTranWork2;
    TFbTransaction IBTranIF;
    TFbQuery IBQueryFnc;
    TFbQuery sqlWork;
    TFbQuery sqlWork2;
    TFbTable tblInterface;
    // The external customer database (LINK/CUST_DB_LINK), only read.
    TOdbcConnection ADOConnection1;

    // The database name in use (DB_PATH, or the default file).
    QString DatabaseName() const { return IBDatabase1.DatabaseName; }
    // True for the default embedded file, which is created when missing.
    bool UsesDefaultDatabase() const { return FDefaultDb; }

    // Never raises; false after any failure (the connection is then closed).
    bool OpenDatabase();
    void CloseDatabase();
    // The schema upgrade; raises on the first failing statement.
    void InitTables(QWidget* parent = nullptr);
    // Reconnects when the error text shows a lost connection.
    void ReDBConnect(const QString& errorMsg);

    // Postal lookup offered (PREF_M exists), found by InitTables.
    bool PostalLookup = false;
    // The signed-in user; its id is written to UPUSERID.
    TUser SignedInUser;

    // Generator
    int GetGenId(const QString& generator);
    // Phone book
    bool GetTels(const QString& telNo, TTels& tels);
    // False when the number is already there (another copy inserted it at
    // the same moment): read the row again with GetTels.
    bool InsertTels(const TTels& tels);
    void UpdateTels(const TTels& tels);
    // Customers
    bool GetCustTelNon(const QString& telNo, QString& custTelNon);
    bool GetCustData(const QString& custTelNon, TCust& cust);
    int InsertCustData(const TCust& cust);
    void UpdateCustData(const TCust& cust);
    // The caller's name and reading: from the linked database while
    // LINK/CUST_DB_LINK is on, else from CUSTOMER. The base form raises on
    // errors; GetCustInfo turns every failure into "not found".
    bool GetCustInfoBase(const QString& telNo, QString& name, QString& kana);
    bool GetCustInfo(const QString& telNo, QString& name, QString& kana);
    static QString CustInfoStatement(const TSettings& settings, bool link, const QString& telNo);
    // The external customer database: opened with LINK/DB_PATH and tested
    // with one lookup (a failure shows the error box and changes nothing
    // else); closed when the settings switch the link off.
    void InitCustDbLink(QWidget* parent = nullptr);
    void CloseCustDbLink();
    // Rows of a SELECT on the external database, one text per named column
    // (letter case ignored; a column it lacks gives empty texts). Raises on
    // errors.
    QList<QStringList> ExtCustRows(const QString& sql, const QStringList& fields);
    // Call log
    int InsertLog(const TLog& log);
    void UpdateTelMemo(const QString& logNo, const QString& memo);
    void UpdateTelMemo(int logNo, const QString& memo) { UpdateTelMemo(QString::number(logNo), memo); }
    // Generic helpers; keyValue is in SQL form (quoted text or an integer).
    bool RowExists(const QString& table, const QString& keyField, const QString& keyValue);
    int GetDeleteState(const QString& table, const QString& keyField, const QString& keyValue);
    void DeleteRows(const QString& table, const QString& keyField, const QString& keyValue);
    void DeleteAllRows(const QString& table);
    void ExecSql(const QString& sql);
    void SaveImageField(const QString& table, const QString& field, const QString& keyValue,
                        const QString& keyField, const QImage& image);
    bool LoadImageField(const QString& table, const QString& field, const QString& keyValue,
                        const QString& keyField, QImage& image);
    QString GetPostAddress(const QString& postNo);
    // Handling records
    int InsertAccept(const TAccept& accept);
    void UpdateAccept(const TAccept& accept);
    bool GetAcceptData(int actNo, TAccept& accept);
    // Users
    bool LoginUser(const QString& userId, const QString& password, TUser& user);
    QString GetUserName(const QString& userId);
    // SIP account
    bool GetAccount(TAccount& account);
    void InsertAccount(const TAccount& account);
    // DeleteAllRows("ACCOUNT") and InsertAccount in one transaction on
    // IBTranIF: the stored account is replaced whole or left as it was.
    void ReplaceAccount(const TAccount& account);
    // Other tables
    void InsertPrint(const TPrint& print);
    void InsertPort(int portNo);
    bool GetInterfaceInfo(const QString& ifNo, TInterfaceInfo& info);

    // Base tables of a new database (also used by tests to build an
    // "earlier release" database).
    static QStringList BaseTableStatements();

private:
    void BeforeConnect();
    void ExecFnc(const QString& sql);
    bool Exists(const QString& sql);
    void CheckKeyValue(const QString& keyValue) const;

    TSettings& FSettings;
    bool FDefaultDb = false;
};
