#include "odbc_u.h"

#include "fb_u.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
QAtomicInt gConnections;

// Milliseconds of a clock that only moves forward.
qint64 Monotonic()
{
    static QElapsedTimer t;
    if (!t.isValid()) t.start();
    return t.elapsed();
}

QString ErrorText(const QSqlError& e)
{
    const QString driver = e.driverText().trimmed(), db = e.databaseText().trimmed();
    if (db.isEmpty()) return driver;
    if (driver.isEmpty()) return db;
    return driver + QLatin1Char(' ') + db;
}
} // namespace

TOdbcConnection::TOdbcConnection() : FName(QStringLiteral("kuruten_odbc_%1").arg(gConnections.fetchAndAddRelaxed(1)))
{
}

TOdbcConnection::~TOdbcConnection()
{
    Close();
    if (QSqlDatabase::contains(FName)) QSqlDatabase::removeDatabase(FName);
}

void TOdbcConnection::Open()
{
    if (Connected()) return;
    if (FFailedAt >= 0 && Monotonic() - FFailedAt < RetryAfterFailMs) throw EDbError(FFailure);
    {
        QSqlDatabase db = QSqlDatabase::contains(FName) ? QSqlDatabase::database(FName, false)
                                                        : QSqlDatabase::addDatabase(QStringLiteral("QODBC"), FName);
        if (!db.isValid()) throw EDbError(QStringLiteral("ODBC ドライバ (QODBC) を読み込めません。"));
        db.setDatabaseName(ConnectionString);
        // A server that does not answer must not hold an incoming call long.
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=5"));
        if (db.open()) {
            FFailedAt = -1;
            return;
        }
        FFailure = ErrorText(db.lastError());
    }
    FFailedAt = Monotonic();
    throw EDbError(FFailure);
}

void TOdbcConnection::Close()
{
    if (!QSqlDatabase::contains(FName)) return;
    QSqlDatabase db = QSqlDatabase::database(FName, false);
    if (db.isOpen()) db.close();
    // A new connection string, or an explicit close, tries at once again.
    FFailedAt = -1;
}

bool TOdbcConnection::Connected() const
{
    return QSqlDatabase::contains(FName) && QSqlDatabase::database(FName, false).isOpen();
}

int TOdbcConnection::TResult::IndexOf(const QString& name) const
{
    for (int i = 0; i < Fields.size(); ++i)
        if (Fields[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TOdbcConnection::TResult TOdbcConnection::Select(const QString& sql, int maxRows)
{
    Open();
    TResult result;
    QString failure;
    {
        QSqlQuery q(QSqlDatabase::database(FName, false));
        q.setForwardOnly(true);
        if (q.exec(sql)) {
            const QSqlRecord rec = q.record();
            for (int i = 0; i < rec.count(); ++i) {
                // Some drivers give a non-ASCII column name its byte length
                // in characters: the name ends at its first NUL.
                const QString name = rec.fieldName(i);
                result.Fields << name.left(name.indexOf(QChar(0)));
            }
            while ((maxRows < 0 || result.Rows.size() < maxRows) && q.next()) {
                QVariantList row;
                for (int i = 0; i < rec.count(); ++i) row << q.value(i);
                result.Rows << row;
            }
            if (q.lastError().isValid()) failure = ErrorText(q.lastError());
        } else {
            failure = ErrorText(q.lastError());
        }
    }
    if (!failure.isNull()) {
        // The next use opens the connection again.
        QSqlDatabase db = QSqlDatabase::database(FName, false);
        db.close();
        throw EDbError(failure.isEmpty() ? QStringLiteral("ODBC error") : failure);
    }
    return result;
}
