#pragma once
// Fixtures for the database tests: a fresh data root with settings and a
// diagnostic log, databases built on disk or on the local Firebird server.
#include "dm_cmn_u.h"
#include "log_u.h"
#include "settings_u.h"
#include "env_test_util.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace DbTest {
// Base tables as an earlier release shipped them: SMALLINT PORT_NO, a
// narrow TEL_MEMO and MAP_URL, nothing the upgrade adds.
QStringList EarlierBaseTables();
// Creates the database `name` (a file or host:path) with the given tables.
void CreateDatabase(const QString& name, const QStringList& statements);
void DropDatabase(const QString& name);

// First column of the first row of a SELECT on dm's work query, as text.
QString Scalar(TdmCmn& dm, const QString& sql);

// The local server: empty when it answers, else why not.
QString ServerUnavailableReason();
// Folder the server (user firebird) can create files in; removed at exit.
QString ServerFolder();
}

// Skips (or fails, when KURUTEN_REQUIRE_FB_SERVER=1) without a server.
#define REQUIRE_FB_SERVER()                                                                      \
    do {                                                                                         \
        const QString why_ = DbTest::ServerUnavailableReason();                                  \
        if (!why_.isEmpty()) {                                                                   \
            if (qEnvironmentVariable("KURUTEN_REQUIRE_FB_SERVER") == QLatin1String("1"))         \
                FAIL() << "Firebird server required but not reachable: " << why_.toStdString(); \
            GTEST_SKIP() << "Firebird server on localhost:3050 not reachable (" << why_.toStdString() \
                         << "); start it with scripts/firebird-server.sh start";                  \
        }                                                                                        \
    } while (0)

// A data root, settings (with optional ini values) and a log per test.
class TDbFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes ini values, reloads the settings, makes a fresh data module.
    void SetIni(const QString& section, const QString& key, const QString& value);
    TdmCmn& NewDm();
    TdmCmn& Dm() { return *FDm; }
    // Diagnostic log lines written since the last call.
    QStringList NewLogLines();
    // An embedded database file with the current schema, opened by Dm().
    void UseCurrentEmbedded();
    // Upgrades an earlier-release database `name` and checks every step,
    // then checks that a second run changes and asks nothing.
    void CheckUpgradeOf(const QString& name);
    // First column of the first row of a SELECT, as text.
    QString Scalar(const QString& sql);

    QString Root;
    // Answers every message box (No unless a test changes it) and keeps them.
    std::unique_ptr<TMsgRecorder> Rec;
    std::unique_ptr<TSettings> Settings;
    std::unique_ptr<TLog> Log_;
    std::unique_ptr<TdmCmn> FDm;
    qint64 FLogPos = 0;
};
