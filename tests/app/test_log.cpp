#include "errors_u.h"
#include "log_u.h"
#include "env_test_util.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
QStringList Files(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

void Fill(const QString& path, qint64 bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(bytes, 'x'));
}

void SetAge(const QString& path, int days)
{
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    f.setFileTime(QDateTime::currentDateTime().addDays(-days), QFileDevice::FileModificationTime);
}
} // namespace

TEST(Log, LineFormatAndDetailSwitch)
{
    const QString dir = TestEnv::FreshDataRoot();
    TLog log(dir, "PC01");
    EXPECT_EQ(log.CurrentFile(), dir + "/log_PC01_Cur.txt");
    log.SetDetailed(false);
    log.WriteDetail("hidden");
    EXPECT_FALSE(QFileInfo::exists(log.CurrentFile()));
    log.WriteAlways("TfrmMain.FormCreate");
    log.SetDetailed(true);
    log.WriteDetail(QStringLiteral("strSql=select 1 -- 日本語"));
    QFile f(log.CurrentFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d TfrmMain\.FormCreate\r$)")
                    .match(QString::fromUtf8(lines[0])).hasMatch()) << lines[0].constData();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" strSql=select 1 -- 日本語\r").toUtf8()));
}

TEST(Log, ArchivesOnlyAfterTheFileHeld5001Blocks)
{
    for (const qint64 before : {640127LL, 640128LL}) {
        const QString dir = TestEnv::FreshDataRoot();
        TLog log(dir, "PC01");
        Fill(log.CurrentFile(), before);
        log.WriteAlways("last line");
        const QStringList files = Files(dir);
        ASSERT_EQ(files.size(), 1);
        if (before == 640127) {
            EXPECT_EQ(files[0], "log_PC01_Cur.txt");
        } else {
            EXPECT_TRUE(QRegularExpression(R"(^log_PC01_\d{8}_\d{6}\.txt$)").match(files[0]).hasMatch()) << files[0].toStdString();
            QFile f(dir + "/" + files[0]);
            f.open(QIODevice::ReadOnly);
            EXPECT_TRUE(f.readAll().endsWith("last line\r\n"));
            log.WriteAlways("fresh");
            EXPECT_LT(QFileInfo(log.CurrentFile()).size(), 100);
        }
    }
}

TEST(Log, SecondArchiveInTheSameSecondKeepsBoth)
{
    const QString dir = TestEnv::FreshDataRoot();
    TLog log(dir, "PC01");
    for (int i = 0; i < 2; ++i) {
        Fill(log.CurrentFile(), 640128);
        log.WriteAlways("x");
    }
    EXPECT_GE(Files(dir).size(), 2);
}

TEST(Log, UnwritableLogIsAnErrorToTheCaller)
{
    const QString dir = TestEnv::FreshDataRoot() + "/missing-folder";
    TLog log(dir, "PC01");
    EXPECT_THROW(log.WriteAlways("x"), EInOutError);
    TLog::SetCurrent(&log);
    EXPECT_THROW(Log::Always("x"), EInOutError);
    TLog::SetCurrent(nullptr);
}

TEST(Log, PurgeMovesOldFilesToTrashAndLeavesFolders)
{
    const QString dir = TestEnv::FreshDataRoot() + "/log";
    QDir().mkpath(dir + "/sub");
    Fill(dir + "/old.txt", 10);
    Fill(dir + "/recent.txt", 10);
    Fill(dir + "/sub/old-inside.txt", 10);
    SetAge(dir + "/old.txt", 101);
    SetAge(dir + "/recent.txt", 99);
    SetAge(dir + "/sub/old-inside.txt", 200);
    SetAge(dir + "/sub", 200);
    TLog::PurgeOldLogs(dir, QDateTime::currentDateTime().addDays(-100));
    EXPECT_FALSE(QFileInfo::exists(dir + "/old.txt"));
    EXPECT_TRUE(QFileInfo::exists(dir + "/recent.txt"));
    EXPECT_TRUE(QFileInfo::exists(dir + "/sub/old-inside.txt"));
    EXPECT_TRUE(QFileInfo::exists(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/old.txt"));
    TLog::PurgeOldLogs(dir + "/nothing-here", QDateTime::currentDateTime()); // no folder: nothing happens
}
