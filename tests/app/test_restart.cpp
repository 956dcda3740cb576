// The real program under its supervisor: a crash brings it back, registered
// again, and no call-log row of before the crash is lost.
#include "db_test_util.h"
#include "dm_cmn_u.h"
#include "program_fixture.h"
#include "scenarios_test_util.h"
#include "settings_u.h"
#include "sipp_test_util.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <csignal>

using namespace ProgramTest;
using Scenario::TUacEnd;

namespace {

// The program's child process (the supervisor starts it).
qint64 ChildOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    return QString::fromLatin1(f.readAll()).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0).toLongLong();
}

// The SIP port of the last engine start the log names.
int EnginePort(const TSession& s)
{
    const QRegularExpression line(QStringLiteral("InitVaxObject ListenPort=(\\d+) "));
    int port = 0;
    for (auto it = line.globalMatch(s.LogText()); it.hasNext();) port = it.next().captured(1).toInt();
    return port;
}

void Ring(int enginePort, const QString& number)
{
    TSipp caller(Scenario::Uac(TUacEnd::Cancel, QString(), number), QStringLiteral("127.0.0.1:%1").arg(enginePort));
    ASSERT_TRUE(caller.Start());
    EXPECT_TRUE(caller.Finish()) << caller.Output().toStdString();
}

} // namespace

TEST(Restart, CrashedProgramComesBackRegisteredWithEveryCallLogged)
{
    TSession s;
    TMsgRecorder boxes(mbOK); // the test's own database work asks nothing of anybody
    TSipp registrar(Scenario::Registrar("100", "secret"), QString(), 2);
    ASSERT_TRUE(registrar.Start());
    {
        // The account, in the database the program opens (closed again
        // before it starts: the embedded file is one process's at a time).
        TEnvValues env{"PC01", "127.0.0.1", "TESTER", TestEnv::SourceDir() + "/resources/"};
        TSettings settings(s.Root, env);
        settings.Initialize();
        TdmCmn dm(settings);
        dm.InitTables();
        TAccount account;
        account.UserId = "100";
        account.Password = "secret";
        account.SipProxy = registrar.Address();
        account.RegistProxy = true;
        account.Codecs = "2,3";
        dm.ReplaceAccount(account);
        dm.CloseDatabase();
    }

    auto program = s.Start();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("SIP プロキシに認証済み")));
    ASSERT_NO_FATAL_FAILURE(Ring(EnginePort(s), "0311112222"));
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("★TelReceiveProc TelNo=0311112222 ")));
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("LogNo1=")));

    const qint64 child = ChildOf(program->processId());
    ASSERT_GT(child, 0);
    ::kill(static_cast<pid_t>(child), SIGSEGV);
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("前回のくるてん３は異常終了しました（signal 11）。自動で起動し直しました。"), 30000));
    EXPECT_NE(ChildOf(program->processId()), child);
    ASSERT_TRUE(SipTest::WaitFor([&] { return s.LogText().count(QStringLiteral("SIP プロキシに認証済み")) == 2; }));
    EXPECT_TRUE(registrar.Finish()) << registrar.Output().toStdString();

    ASSERT_NO_FATAL_FAILURE(Ring(EnginePort(s), "0322223333"));
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("★TelReceiveProc TelNo=0322223333 ")));
    SipTest::WaitFor([&] { return s.LogText().count(QStringLiteral("LogNo1=")) == 2; });
    Stop(*program);
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program->exitCode(), 0);

    TEnvValues env{"PC01", "127.0.0.1", "TESTER", TestEnv::SourceDir() + "/resources/"};
    TSettings settings(s.Root, env);
    settings.Initialize();
    TdmCmn dm(settings);
    ASSERT_TRUE(dm.OpenDatabase());
    EXPECT_EQ(DbTest::Scalar(dm, "select count(*) from LOG where TEL_TYPE = '着信'"), "2");
    EXPECT_EQ(DbTest::Scalar(dm, "select count(*) from LOG where TEL_NO in ('0311112222', '0322223333')"), "2");
    dm.CloseDatabase();
}
