// The real program in two processes: single instance and hand-off.
#include "program_session.h"
#include "single_instance_u.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

using namespace ProgramTest;

TEST(Process, SecondStartHandsOverOrWarns)
{
    TSession s;
    auto first = s.Start();
    ASSERT_TRUE(s.WaitForLog("TfrmMain.FormCreate"));
    ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));

    // A plain number, "/S" in any letter case.
    EXPECT_EQ(s.Run({"/S", "0312345678"}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=0312345678 LogNo= PortNo=1 CalledReadName="));

    // Not a hand-off: no parameters, or three.
    EXPECT_EQ(s.Run({}), 1);
    EXPECT_EQ(s.Run({"/s", "0312345678", "extra"}), 1);
    EXPECT_EQ(s.Messages().count(QStringLiteral("warning\tくるてんはすでに実行しています。")), 2);

    // Commands, odd texts and a 5000-byte number: the first copy keeps running.
    EXPECT_EQ(s.Run({"/s", "kuruten:unknown?x=1"}), 0);
    EXPECT_EQ(s.Run({"/s", "03'12 34\"56"}), 0);
    EXPECT_EQ(s.Run({"/s", QString(5000, QChar('9'))}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=03'12 34\"56 LogNo="));
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=" + QString(4096, QChar('9')) + " LogNo="));

    // A peer that sends garbage, and one that sends nothing, are dropped.
    const QString sock = s.Root + "/rt/kuruten3.sock";
    {
        QLocalSocket garbage;
        garbage.connectToServer(sock);
        ASSERT_TRUE(garbage.waitForConnected(2000));
        garbage.write("this is not a packet at all");
        garbage.waitForBytesWritten(1000);
        garbage.waitForDisconnected(5000);
    }
    {
        QLocalSocket silent;
        silent.connectToServer(sock);
        ASSERT_TRUE(silent.waitForConnected(2000));
        EXPECT_TRUE(silent.waitForDisconnected(TSingleInstance::kIdleMs + 3000));
    }
    EXPECT_TRUE(s.WaitForLog("hand-off packet malformed"));
    EXPECT_EQ(s.Run({"/s", "0399999999"}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=0399999999 "));
    EXPECT_EQ(first->state(), QProcess::Running);
    Stop(*first);
}

TEST(Process, KilledCopyDoesNotBlockTheNextStart)
{
    TSession s;
    auto first = s.Start();
    ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));
    first->kill(); // SIGKILL: no clean-up at all
    first->waitForFinished(5000);

    auto second = s.Start();
    QThread::msleep(300);
    EXPECT_TRUE(s.WaitForLog("TfrmMain.ReadRegistry"));
    EXPECT_EQ(s.Run({"/s", "0311112222"}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=0311112222 "));
    EXPECT_FALSE(s.Messages().contains(QStringLiteral("すでに実行しています")));
    Stop(*second);
}

TEST(Process, HandleThatIsNotANumberIsAnError)
{
    TSession s;
    auto first = s.Start();
    ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));
    QFile ini(s.DataFolder() + "/kuruten3.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(TestEnv::LoopbackUdpIni() + "[HANDLE]\nMAIN_FORM=not-a-number\n");
    ini.close();
    EXPECT_EQ(s.Run({"/s", "0312345678"}), 1);
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("error\tくるてんのハンドルを取得できませんでした。")));
    Stop(*first);
}

TEST(Process, UnusableDataRootEndsTheStartWithAClearError)
{
    TSession s;
    QDir(s.Root + "/hoshiba").removeRecursively();
    QFile blocker(s.Root + "/hoshiba");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(s.Run({}), 2);
    EXPECT_TRUE(s.Messages().contains(s.Root + "/hoshiba")) << s.Messages().toStdString();
}

TEST(Process, StartThatFailsAtTheDatabaseWritesNothing)
{
    TSession s(TestEnv::LoopbackUdpIni() + "[KURUTEN_DB]\nDB_PATH=/nonexistent/folder/KURUDB.FDB\nLAN=0\n");
    EXPECT_EQ(s.Run({}), 1);
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("error\tデータベースへの接続に失敗しました。")))
        << s.Messages().toStdString();
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("kuruten3.iniファイルの設定を確認してください。")));
    QFile ini(s.DataFolder() + "/kuruten3.ini");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ini.readAll().contains("AUDIO_OUT_VOL"));
    EXPECT_FALSE(QFileInfo::exists(s.Root + "/cfg/hoshiba/kuruten3.conf"));
}

TEST(Process, TwoParametersWithoutARunningCopy)
{
    // With sign-in required they are a user ID and a password: unknown here.
    {
        TSession s(TestEnv::LoopbackUdpIni() + "[BASIC]\nLOGIN_AUTH=1\n");
        EXPECT_EQ(s.Run({"/s", "0312345678"}), 1);
        EXPECT_TRUE(s.Messages().contains(
            QStringLiteral("warning\tユーザIDかパスワードが無効です。もしくは有効期限が過ぎています。")));
        EXPECT_TRUE(s.LogText().contains("reboot Halt"));
        EXPECT_FALSE(QFileInfo::exists(s.Root + "/cfg/hoshiba/kuruten3.conf"));
    }
    // Without sign-in the program starts normally and the number is not a call.
    {
        TSession s;
        auto p = s.Start({"/s", "0312345678"});
        ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));
        QThread::msleep(300);
        EXPECT_FALSE(s.LogText().contains("★TelReceiveProc"));
        Stop(*p);
    }
}

TEST(Process, CopyStartedHiddenStillSetsUpItsSoftphone)
{
    TSession s(TestEnv::LoopbackUdpIni() + "[BASIC]\nJOUCHU=1\nJOUCHU_KIDOU=1\n");
    auto p = s.Start();
    ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));
    // No account yet: the first-show step asks for the communication settings.
    QElapsedTimer t;
    t.start();
    while (!s.Messages().contains(QStringLiteral("通信のための設定されていません")) && t.elapsed() < 15000)
        QThread::msleep(50);
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("通信のための設定されていません")));
    EXPECT_TRUE(s.LogText().contains("LoadSIPAccount"));
    Stop(*p);
}
