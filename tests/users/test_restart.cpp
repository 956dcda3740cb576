// The restart hands the signed-in user to the new copy without putting the
// password where other local users can read it.
#include "db_start_u.h"
#include "dm_cmn_u.h"
#include "program_fixture.h"
#include "restart_u.h"
#include "settings_u.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <csignal>
#include <sys/stat.h>

using namespace ProgramTest;

namespace {
QByteArray ReadProc(qint64 pid, const char* what)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(what)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Alive(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

// Ends a process this test started (not our child: it was started detached).
void StopPid(qint64 pid, int signal = SIGTERM)
{
    ::kill(pid_t(pid), signal);
    QElapsedTimer t;
    t.start();
    while (Alive(pid) && t.elapsed() < 10000) QThread::msleep(50);
    if (Alive(pid)) ::kill(pid_t(pid), SIGKILL);
}

QStringList SignInFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("kuruten3-signin-*")}, QDir::Files);
}

// A session whose database holds user taro, with sign-in required.
struct TSignInSession : TSession
{
    TSignInSession() : TSession(TestEnv::LoopbackUdpIni() + "[BASIC]\nLOGIN_AUTH=1\n[SPEAK]\nENABLED=0\n")
    {
        TMsgRecorder answers(mbNo);
        TSettings settings(Root, TEnvValues{"PC01", "127.0.0.1", "TESTER", "/tmp/"});
        settings.Initialize();
        TdmCmn dm(settings);
        EXPECT_TRUE(ConnectDatabaseAtStart(dm, settings));
        dm.ExecSql("insert into USER_M (USERID, USERNM, PASSWD, AUTH) values ('taro', '太郎', 'S3cr3t!x', 1)");
        dm.CloseDatabase();
    }
};
} // namespace

TEST(Restart, CredentialsNeverAppearOnTheCommandLine)
{
    TSignInSession s;
    const qint64 pid = Restart::StartAgain(TestEnv::ProgramPath(), {"taro", "S3cr3t!x"}, s.Root + "/rt", s.Env());
    ASSERT_GT(pid, 0);
    const QByteArray cmdline = ReadProc(pid, "cmdline");
    const QByteArray environ = ReadProc(pid, "environ");
    // Signed in without the window: the start went on to the softphone.
    const bool started = s.WaitForLog("Soft Phone Ver. ");
    const QByteArray cmdlineLater = ReadProc(pid, "cmdline");
    StopPid(pid);
    ASSERT_TRUE(started) << s.Messages().toStdString();

    for (const QByteArray& c : {cmdline, cmdlineLater}) {
        EXPECT_FALSE(c.contains("S3cr3t!x"));
        EXPECT_FALSE(c.contains("taro"));
        EXPECT_EQ(c.count('\0'), 1) << c.toStdString(); // the program alone
    }
    EXPECT_FALSE(environ.contains("S3cr3t!x"));
    EXPECT_FALSE(s.LogText().contains("TfrmMain.LoginCheck begin"));
    EXPECT_FALSE(s.LogText().contains("S3cr3t!x"));
    EXPECT_FALSE(s.Messages().contains(QStringLiteral("ユーザIDかパスワードが無効です")));
    EXPECT_TRUE(SignInFiles(s.Root + "/rt").isEmpty()); // read and deleted
}

TEST(Restart, NobodySignedInPassesNothing)
{
    TSignInSession s;
    const qint64 pid = Restart::StartAgain(TestEnv::ProgramPath(), {}, s.Root + "/rt", s.Env());
    ASSERT_GT(pid, 0);
    const QByteArray cmdline = ReadProc(pid, "cmdline");
    // With nothing handed over the sign-in window opens.
    const bool asked = s.WaitForLog("TfrmMain.LoginCheck begin");
    StopPid(pid, SIGKILL); // the modal window would outlast a polite request
    EXPECT_TRUE(asked);
    EXPECT_EQ(cmdline.count('\0'), 1) << cmdline.toStdString();
    EXPECT_FALSE(s.Messages().contains(QStringLiteral("ユーザIDかパスワードが無効です")));
    EXPECT_TRUE(SignInFiles(s.Root + "/rt").isEmpty());
}

TEST(Restart, ScriptsMayStillGiveTheTwoParameters)
{
    TSignInSession s;
    auto p = s.Start({"taro", "S3cr3t!x"});
    EXPECT_TRUE(s.WaitForLog("Soft Phone Ver. "));
    EXPECT_FALSE(s.LogText().contains("TfrmMain.LoginCheck begin"));
    Stop(*p);
}

TEST(Restart, HandedFileIsTakenOnceAndOnlyWhenPrivate)
{
    const QString folder = TestEnv::FreshDataRoot();
    auto handOver = [&](const QString& id, const QString& pw, QFile::Permissions perms) {
        const QString path = folder + "/kuruten3-signin-test";
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        QDataStream out(&f);
        out << id << pw;
        f.close();
        f.setPermissions(perms);
        qputenv(Restart::kSignInFileVar, path.toUtf8());
        return path;
    };
    const QFile::Permissions own = QFile::ReadOwner | QFile::WriteOwner;

    TUserSignIn user;
    QString path = handOver("taro", "pw 'x'", own);
    EXPECT_TRUE(Restart::TakeHandedSignIn(user));
    EXPECT_EQ(user.UserId, "taro");
    EXPECT_EQ(user.Password, "pw 'x'");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(qEnvironmentVariableIsEmpty(Restart::kSignInFileVar));
    EXPECT_FALSE(Restart::TakeHandedSignIn(user)); // once

    // A file others may read is not taken.
    path = handOver("taro", "pw", own | QFile::ReadOther);
    TUserSignIn other;
    EXPECT_FALSE(Restart::TakeHandedSignIn(other));
    EXPECT_TRUE(other.UserId.isEmpty());
    QFile::remove(path);
}
