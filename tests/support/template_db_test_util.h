#pragma once
// An embedded database with the current schema, made once per test binary
// and copied for each test that needs a fresh one: making one takes seconds.
#include "dm_cmn_u.h"
#include "settings_u.h"
#include "env_test_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace TemplateDb {
// Puts a copy at file (the data root's default database, usually).
inline void CopyTo(const QString& file)
{
    static QTemporaryDir dir;
    static QString made;
    if (made.isEmpty()) {
        TEnvValues env;
        env.gComputerName = QStringLiteral("TEMPLATE");
        env.gExeDir = QStringLiteral("/tmp/");
        TSettings settings(dir.path(), env);
        settings.Initialize();
        TMsgRecorder answers(mbNo); // the upgrade's questions
        {
            TdmCmn dm(settings);
            dm.InitTables();
            dm.CloseDatabase();
        }
        made = settings.DefaultDatabaseFile();
    }
    QDir().mkpath(QFileInfo(file).path());
    QFile::remove(file);
    QFile::copy(made, file);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
}
} // namespace TemplateDb
