#pragma once
// The connection to another application's customer database: unixODBC
// through Qt's QODBC driver, opened from a connection string handed to the
// driver unchanged, without a login prompt. Only read: one SELECT at a time,
// its rows returned whole.
//
//   TOdbcConnection link;
//   link.ConnectionString = "Driver=SQLite3;Database=/srv/cust.db";
//   const auto rows = link.Select("select NAME from CUST", 1);   // opens when needed
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class TOdbcConnection
{
public:
    TOdbcConnection();
    ~TOdbcConnection();
    TOdbcConnection(const TOdbcConnection&) = delete;
    TOdbcConnection& operator=(const TOdbcConnection&) = delete;

    QString ConnectionString;
    // How long a failed open keeps the next ones from trying again: while a
    // server is unreachable, each lookup would otherwise wait for it anew.
    int RetryAfterFailMs = 30000;

    // Raises EDbError with the driver's message.
    void Open();
    void Close();
    bool Connected() const;

    struct TResult
    {
        QStringList Fields;            // column names as the driver gives them
        QList<QVariantList> Rows;      // null stays a null QVariant
        // Column index of a name, letter case ignored; -1 when absent.
        int IndexOf(const QString& name) const;
    };
    // Runs one SELECT (opening the connection when needed) and returns at
    // most maxRows rows (all when negative). A failure raises EDbError and
    // closes the connection, so a server that comes back is found again.
    TResult Select(const QString& sql, int maxRows = -1);

private:
    QString FName;
    qint64 FFailedAt = -1; // monotonic ms of the last failed open
    QString FFailure;
};
