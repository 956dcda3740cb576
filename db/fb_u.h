#pragma once
// A small object layer over the Firebird 3 client library: one connection,
// transactions that commit per statement unless started explicitly, and SQL
// statements whose rows are read by column name. SQL text and text columns
// cross this edge as CP932 bytes; callers see QString only.
//
// No Firebird header is included here, so only db/ links the client library.
#include "errors_u.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// A database error: the client library's message text (lines joined by "\n")
// and its error codes. Also raised for text that has no CP932 form.
class EDbError : public EKuruten
{
public:
    explicit EDbError(const QString& message, QList<qint64> codes = {})
        : EKuruten(message), Codes(std::move(codes)) {}
    QList<qint64> Codes;
    bool HasCode(qint64 code) const { return Codes.contains(code); }
    // The row would break a primary key or unique index.
    bool IsDuplicateKey() const;
};

class TFbQuery;
class TFbTransaction;

enum class TFbFieldKind { Text, Integer, Float, DateTime, Blob, Other };

class TFbDatabase
{
public:
    TFbDatabase();
    ~TFbDatabase();
    TFbDatabase(const TFbDatabase&) = delete;
    TFbDatabase& operator=(const TFbDatabase&) = delete;

    QString DatabaseName;
    // "name=value" lines: user_name, password, lc_ctype.
    QStringList Params;
    int SQLDialect = 1;
    // Runs before every attach (the data module creates a missing default
    // database there); it may attach by itself.
    std::function<void()> BeforeConnect;

    // The client library shuts every connection down by itself when the
    // process gets SIGINT or SIGTERM, under the code that is using them. A
    // program that stops on those signals in its own order refuses that.
    static void KeepConnectionsOnSignals();

    bool Connected() const;
    // Attaches. Throws EDbError.
    void Open();
    // Detaches. Every open result set and active transaction on this
    // connection is dropped first. The handles are released even when the
    // detach itself fails (a lost connection); that failure is then thrown.
    void Close();
    // Creates the database DatabaseName (dialect SQLDialect, character set
    // NONE) and stays attached to it.
    void CreateDatabase(int pageSize = 8192);
    // Drops the attached database (tests and clean-up).
    void DropDatabase();

private:
    friend class TFbTransaction;
    friend class TFbQuery;
    friend class TFbField;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Without StartTransaction a statement starts its own transaction and
// commits it when it has run or its result set is closed.
class TFbTransaction
{
public:
    explicit TFbTransaction(TFbDatabase& db);
    ~TFbTransaction();
    TFbTransaction(const TFbTransaction&) = delete;
    TFbTransaction& operator=(const TFbTransaction&) = delete;

    void StartTransaction();
    void Commit();
    void Rollback();
    // An explicitly started transaction is open.
    bool InTransaction() const;

private:
    friend class TFbQuery;
    friend class TFbDatabase;
    friend class TFbField;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// One column of the current row. Null reads as "", 0 or a null QDateTime.
class TFbField
{
public:
    bool IsNull() const;
    QString AsString() const;
    int AsInteger() const;
    qint64 AsInt64() const;
    double AsFloat() const;
    QDateTime AsDateTime() const;
    // The same date and time without a time zone (cheap for many rows);
    // false for null.
    bool AsDateAndTime(QDate* date, QTime* time) const;
    // Raw bytes of a text or blob column (no decoding).
    QByteArray AsBytes() const;
    QString FieldName() const;

private:
    friend class TFbQuery;
    TFbField(const TFbQuery* q, int index) : FQuery(q), FIndex(index) {}
    const TFbQuery* FQuery;
    int FIndex;
};

class TFbQuery
{
public:
    TFbQuery(TFbDatabase& db, TFbTransaction& tr);
    ~TFbQuery();
    TFbQuery(const TFbQuery&) = delete;
    TFbQuery& operator=(const TFbQuery&) = delete;

    QString SQL;

    // The transaction used from now on (the account save borrows IBTranIF).
    void SetTransaction(TFbTransaction* tr);
    TFbTransaction* Transaction() const { return FTr; }

    // Binds blob data to the parameter ":name" of SQL.
    void SetBlobParam(const QString& name, const QByteArray& data);
    // Binds null to the parameter ":name" of SQL.
    void SetNullParam(const QString& name);
    void ClearParams();

    // Runs SQL without a result set. Throws EDbError.
    void ExecSQL();
    // Opens SQL's result set on the first row. Throws EDbError, also while
    // the rows of an earlier Open are still being read (close it first).
    void Open();
    bool Active() const;
    bool Eof() const;
    void Next();
    // Closes the result set and commits an implicit transaction. Never throws.
    void Close();

    int FieldCount() const;
    QString FieldName(int index) const;
    // Throws EDbError for a name the result set does not have.
    TFbField FieldByName(const QString& name) const;
    TFbField Field(int index) const;
    TFbFieldKind FieldKind(int index) const;
    bool HasField(const QString& name) const;

    // Closes the query's result set when the scope ends, also on errors.
    class TCloser
    {
    public:
        explicit TCloser(TFbQuery& q) : FQ(q) {}
        ~TCloser() { FQ.Close(); }
    private:
        TFbQuery& FQ;
    };

private:
    friend class TFbField;
    friend class TFbDatabase;
    void RefuseWhileReading() const;
    void Prepare(bool forSelect);
    void ExecutePrepared();
    void DropHandles();
    void Finish(bool ok);

    TFbDatabase& FDb;
    TFbTransaction* FTr;
    struct Impl;
    std::unique_ptr<Impl> d;
};
