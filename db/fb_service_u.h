#pragma once
// A consistent copy of a database that stays in use: the engine's own
// physical backup (Services API, nbackup level 0) while other connections
// go on writing. (A plain copy of the file, even one frozen by ALTER
// DATABASE BEGIN BACKUP, can fail validation when taken under load.) The
// result is a plain database file that opens as it is.
#include <QString>
#include <QStringList>

namespace FbService {
// Database name as the engine sees it: "host:path" or a local file.
struct TDbName
{
    QString Host; // empty: this process's embedded engine
    QString Path;
    static TDbName Parse(const QString& name);
};

// Writes a copy of database to target (which must not exist; on a server,
// a path that the server's engine can write). params are the connection's
// "user_name=" and "password=" lines. With keepWindowAlive the engine works
// on a thread of its own while this thread goes on handling its events
// (calls keep arriving). Throws EDbError; a failed copy leaves no file at
// target.
void CopyDatabase(const QString& database, const QString& target, const QStringList& params,
                  bool keepWindowAlive = false);
}
